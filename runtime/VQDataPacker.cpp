#include "VQDataPacker.h"

#include "VQCheck.h"

#include <cstdint>
#include <cstring>

namespace {

// Product a x b, false when it does not fit a machine word.
bool MulFits(size_t a, size_t b, size_t& product)
{
  if (a != 0 && b > SIZE_MAX / a)
    return false;
  product = a * b;
  return true;
}

}  // namespace

void VQDataPacker::Add(const void* data, size_t elem_size, size_t count)
{
  size_t bytes = 0;
  if (!VQ_CHECK_TEXT(MulFits(elem_size, count, bytes), "elem_size * count fits") ||
      !VQ_CHECK_TEXT(bytes <= SIZE_MAX - m_storage_size, "m_storage_size + elem_size * count fits")) {
    m_size_overflow = true;
    return;
  }
  m_shapes.emplace_back(data, elem_size, count);
  m_storage_size += bytes;
}

bool VQDataPacker::CanPack(const void* buffer) const
{
  if (!VQ_CHECK(!m_size_overflow) || !VQ_CHECK(m_storage_size != 0) || !VQ_CHECK(buffer != 0))
    return false;
  for (const ArrayShape& arr : m_shapes) {
    if (!VQ_CHECK(arr.size != 0))
      return false;
    if (arr.ByteSize() != 0 && !VQ_CHECK(arr.data != 0))
      return false;
  }
  return true;
}

bool VQDataPacker::Pack(void* buffer) const
{
  if (!CanPack(buffer))
    return false;
  unsigned char* write_pos = static_cast<unsigned char*>(buffer);
  for (const ArrayShape& arr : m_shapes) {
    const size_t bytes = arr.ByteSize();
    if (bytes != 0)
      std::memcpy(write_pos, arr.data, bytes);
    write_pos += bytes;
  }
  return true;
}

bool VQDataPacker::Pack(void* buffer, size_t buffer_length) const
{
  if (!VQ_CHECK(buffer_length >= m_storage_size))
    return false;
  return Pack(buffer);
}

bool VQDataPacker::Pack(QELM::OctetSeq& out) const
{
  // Check before resizing, so that a refused packer leaves out as it was.
  static unsigned char probe;
  if (!CanPack(&probe))
    return false;
  if (!VQ_CHECK(m_storage_size <= static_cast<size_t>(UINT32_MAX)))
    return false;
  out.length(static_cast<CORBA::ULong>(m_storage_size));
  return Pack(out.get_buffer());
}

namespace {
const unsigned char k_empty_image[1] = {0};
}

VQDataUnpacker::VQDataUnpacker(const void* buffer, size_t length)
    : m_buffer(buffer        ? static_cast<const unsigned char*>(buffer)
               : length == 0 ? k_empty_image
                             : nullptr),
      m_length(buffer ? length : 0)
{
  // A null buffer of length 0 is an empty image; one of a larger length is
  // refused by every Extract.
}

VQDataUnpacker::VQDataUnpacker(const QELM::OctetSeq& image)
    : m_buffer(image.length() ? image.get_buffer() : k_empty_image), m_length(image.length())
{}

bool VQDataUnpacker::Extract(void* target, size_t elem_size, size_t count)
{
  if (!VQ_CHECK(m_buffer != NULL))
    return false;
  size_t bytes = 0;
  if (!VQ_CHECK_TEXT(MulFits(elem_size, count, bytes), "elem_size * count fits") ||
      !VQ_CHECK_TEXT(bytes <= m_length - m_read_pos, "m_read_pos + elem_size * count <= m_length"))
    return false;
  if (bytes == 0)
    return true;
  if (!VQ_CHECK(target != NULL))
    return false;
  std::memcpy(target, m_buffer + m_read_pos, bytes);
  m_read_pos += bytes;
  return true;
}

void PackInto(VQDataPacker& packer, const void* data, size_t elem_size, size_t count)
{
  packer.Add(data, elem_size, count);
}

bool UnpackFrom(VQDataUnpacker& unpacker, void* data, size_t elem_size, size_t count)
{
  return unpacker.Extract(data, elem_size, count);
}
