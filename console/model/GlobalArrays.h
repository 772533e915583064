// The console's global object arrays. Each owning array deletes what it
// holds when emptied or destroyed. The element type may be incomplete where
// an array is only declared, sized, read or emptied; it must be complete
// where objects are added (the deleter is bound there).
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

class CDrawLine;
class CDrawNode;
class CODZone;
class CDrawCCTV;
class CVMS;
class CIncident;
class CWorkZone;
class CPath;
class CVehicle;

template <class T>
class CTypedObArray
{
public:
  using Deleter = void (*)(T*);
  using Holder = std::unique_ptr<T, Deleter>;

  CTypedObArray() = default;
  CTypedObArray(const CTypedObArray&) = delete;
  CTypedObArray& operator=(const CTypedObArray&) = delete;

  int GetSize() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  // Null for an index outside the array.
  T* GetAt(int i) const
  {
    return (i >= 0 && i < GetSize()) ? m_items[static_cast<std::size_t>(i)].get() : nullptr;
  }
  T* operator[](int i) const { return GetAt(i); }

  // Appends (and takes ownership); returns the new element's index.
  int Add(T* p)
  {
    m_items.emplace_back(p, &DeleteOne);
    return GetSize() - 1;
  }
  int Add(std::unique_ptr<T> p) { return Add(p.release()); }
  // Inserts at i (0..size) and takes ownership; false when i is outside.
  bool InsertAt(int i, T* p)
  {
    if (i < 0 || i > GetSize()) {
      Holder h(p, &DeleteOne);
      return false;
    }
    m_items.insert(m_items.begin() + i, Holder(p, &DeleteOne));
    return true;
  }
  // Deletes and removes the element at i; false when i is outside.
  bool RemoveAt(int i)
  {
    if (i < 0 || i >= GetSize())
      return false;
    m_items.erase(m_items.begin() + i);
    return true;
  }
  // Removes the element at i without deleting it; null when i is outside.
  T* Detach(int i)
  {
    if (i < 0 || i >= GetSize())
      return nullptr;
    T* p = m_items[static_cast<std::size_t>(i)].release();
    m_items.erase(m_items.begin() + i);
    return p;
  }
  // Deletes every element, from the last to the first.
  void RemoveAll()
  {
    while (!m_items.empty())
      m_items.pop_back();
  }
  ~CTypedObArray() { RemoveAll(); }

  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

private:
  static void DeleteOne(T* p) { delete p; }
  std::vector<Holder> m_items;
};

// Network objects, filled by the project load.
extern CTypedObArray<CDrawNode> g_NodeArray;  // index = node index
extern CTypedObArray<CDrawLine> g_LineArray;  // index = link index
extern CTypedObArray<CODZone> g_ZoneArray;    // drawn by the OD zone tool
extern CTypedObArray<CDrawCCTV> g_CCTVArray;  // one per CCTV.dat line

// Scenario objects and paths.
extern CTypedObArray<CVMS> g_VMSArray;          // estimation VMS
extern CTypedObArray<CVMS> g_VMSArrayPredict;   // first prediction instance
extern CTypedObArray<CVMS> g_VMSArrayPredict1;  // second prediction instance
extern CTypedObArray<CIncident> g_IncidentArray;
extern CTypedObArray<CWorkZone> g_WorkZoneArray;
extern CTypedObArray<CDrawLine> g_LinkModArray;  // link property modifications
extern CTypedObArray<CPath> g_AllPaths;
extern CTypedObArray<CPath> g_PredPaths0;
extern CTypedObArray<CPath> g_PredPaths1;
extern CTypedObArray<CVehicle> g_VehicleArray;

// Empties the arrays that a project load fills: nodes, links, cameras,
// incidents and the three VMS lists.
void RemoveLoadedObjects();

// The current selection (not owning).
extern std::vector<CDrawNode*> g_SelectedNodes;
extern std::vector<CDrawLine*> g_SelectedLinks;
extern std::vector<CDrawCCTV*> g_SelectedCCTVs;

// Mean ratio of a link's shape length to its length in feet, set by the
// linkxy.dat step of the load (0 at program start).
extern double g_LinkShapeRatio;
