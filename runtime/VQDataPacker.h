// Payload packer: registered arrays (pointer, element size, count) are
// written back to back, in registration order, into one octet image in the
// host's raw byte layout, with no header, count, marker or padding. The
// unpacker reads them back with the same sizes in the same order.
//
//   VQDataPacker packer;
//   PackInto(packer, &upstream, sizeof(CORBA::Long));
//   PackInto(packer, path, sizeof(CORBA::Long), 100);
//   packer.Pack(msg.arg);            // sized from GetStorageSize
//
//   VQDataUnpacker unpacker(msg.arg);
//   UnpackFrom(unpacker, &upstream, sizeof(CORBA::Long));
//
// Refusals (a failed check is written to the log and nothing is written or
// read): packing an empty packer, a null buffer, a buffer shorter than the
// image, an array of count 0 or with a null pointer; extracting past the end
// of the image.
#pragma once

#include <QELM.hh>

#include <cstddef>
#include <vector>

class VQDataPacker
{
public:
  // One registered array. The data is not owned and must stay valid until
  // the packer has packed it.
  class ArrayShape
  {
  public:
    ArrayShape(const void* data, size_t elem_size, size_t size) : data(data), elem_size(elem_size), size(size)
    {}
    virtual ~ArrayShape() = default;
    ArrayShape(const ArrayShape&) = default;
    ArrayShape& operator=(const ArrayShape&) = default;

    // elem_size x size
    size_t ByteSize() const { return elem_size * size; }

    const void* data;  // first element
    size_t elem_size;  // bytes per element
    size_t size;       // element count
  };

  VQDataPacker() = default;
  virtual ~VQDataPacker() = default;

  // Appends an array of count elements of elem_size bytes each. An array of
  // count 0 is accepted here and refused by Pack. A byte size that does not
  // fit a machine word is refused (logged) and makes the packer unpackable.
  void Add(const void* data, size_t elem_size, size_t count = 1);

  // Total bytes registered: the length the output buffer must have.
  size_t GetStorageSize() const { return m_storage_size; }

  // Writes the image into buffer, which must hold GetStorageSize bytes.
  // Returns false, writing nothing, when the packer is empty, the buffer is
  // null or an array is refused.
  bool Pack(void* buffer) const;
  // The same, refusing also a buffer shorter than GetStorageSize.
  bool Pack(void* buffer, size_t buffer_length) const;
  // Sizes the sequence to GetStorageSize and packs into it. On refusal the
  // sequence is left as it was.
  bool Pack(QELM::OctetSeq& out) const;

private:
  bool CanPack(const void* buffer) const;

  std::vector<ArrayShape> m_shapes;  // registration order
  size_t m_storage_size = 0;
  bool m_size_overflow = false;
};

// The reading half: takes arrays back from an image in the order and sizes
// they were packed with. It never reads past the image's length.
class VQDataUnpacker
{
public:
  // The image and its length. A null buffer with a non-zero length is
  // refused by every Extract; with length 0 it is an empty image.
  VQDataUnpacker(const void* buffer, size_t length);
  explicit VQDataUnpacker(const QELM::OctetSeq& image);

  // Copies elem_size x count bytes from the read position to target and
  // advances the read position by as many. Returns false, copying nothing
  // and leaving the read position, when the buffer or target is null or
  // fewer bytes remain than asked for.
  bool Extract(void* target, size_t elem_size, size_t count = 1);

  // Next byte to read, and the bytes left after it.
  size_t GetReadPos() const { return m_read_pos; }
  size_t GetRemaining() const { return m_length - m_read_pos; }

private:
  const unsigned char* m_buffer;  // not owned
  size_t m_length;
  size_t m_read_pos = 0;
};

// Registers an array with the packer (VQDataPacker::Add).
void PackInto(VQDataPacker& packer, const void* data, size_t elem_size, size_t count = 1);
// Reads an array back (VQDataUnpacker::Extract).
bool UnpackFrom(VQDataUnpacker& unpacker, void* data, size_t elem_size, size_t count = 1);
