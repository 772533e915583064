// Payload packer and unpacker: the byte image of registered arrays, the
// command payload layouts, round trips, and the refusals that keep a bad
// packer or a short image from writing or reading out of bounds.
#include "VQDataPacker.h"

#include "TestSupport.h"
#include "VQOStreamLog.h"
#include "qelm_msg_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const void* p, size_t n)
{
  const unsigned char* b = static_cast<const unsigned char*>(p);
  return std::vector<unsigned char>(b, b + n);
}

// Captures the log file so that a test can see which check failed.
class LogCapture
{
public:
  LogCapture() : m_path(m_dir.file("check.log")) { VQOStreamLog::Open(m_path.c_str(), "w"); }
  ~LogCapture() { VQOStreamLog::Close(); }
  std::string Text() const { return ReadFile(m_path); }

private:
  TempDir m_dir{"vlq-packer"};
  std::string m_path;
};

TEST(DataPacker, IntAndFloatPackToTheirRawLittleEndianBytes)
{
  const int32_t one = 1;
  const float one_f = 1.0f;
  VQDataPacker packer;
  PackInto(packer, &one, sizeof one);
  PackInto(packer, &one_f, sizeof one_f);
  ASSERT_EQ(packer.GetStorageSize(), 8u);
  unsigned char buf[8];
  ASSERT_TRUE(packer.Pack(buf));
  const std::vector<unsigned char> expected = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F};
  EXPECT_EQ(Bytes(buf, 8), expected);
}

TEST(DataPacker, ArrayAfterTwoFieldsStartsAtByteEight)
{
  const int32_t a = 7, b = -9;
  int32_t arr[100];
  for (int i = 0; i < 100; ++i)
    arr[i] = 1000 + i;
  VQDataPacker packer;
  PackInto(packer, &a, sizeof a);
  PackInto(packer, &b, sizeof b);
  PackInto(packer, arr, sizeof arr[0], 100);
  ASSERT_EQ(packer.GetStorageSize(), 408u);
  std::vector<unsigned char> buf(408);
  ASSERT_TRUE(packer.Pack(buf.data()));
  EXPECT_EQ(std::memcmp(buf.data(), &a, 4), 0);
  EXPECT_EQ(std::memcmp(buf.data() + 4, &b, 4), 0);
  EXPECT_EQ(std::memcmp(buf.data() + 8, arr, 400), 0);
}

// The console's command payloads: field (element size, count) lists in
// their agreed order, the image size, and where each field starts.
struct Layout
{
  const char* name;
  std::vector<std::pair<size_t, size_t>> fields;  // element size, count
  size_t expected_size;
  std::vector<size_t> expected_offsets;
};

class CommandLayouts : public ::testing::TestWithParam<Layout>
{};

TEST_P(CommandLayouts, SizeOffsetsAndRoundTrip)
{
  const Layout& l = GetParam();
  // Each field's elements get distinct byte values so that a shifted or
  // reordered field shows.
  std::vector<std::vector<unsigned char>> values;
  VQDataPacker packer;
  unsigned char next = 1;
  for (const auto& [elem, count] : l.fields) {
    std::vector<unsigned char> v(elem * count);
    for (auto& byte : v)
      byte = next++;
    values.push_back(v);
  }
  for (size_t i = 0; i < l.fields.size(); ++i)
    PackInto(packer, values[i].data(), l.fields[i].first, l.fields[i].second);
  ASSERT_EQ(packer.GetStorageSize(), l.expected_size);

  QELM::OctetSeq seq;
  ASSERT_TRUE(packer.Pack(seq));
  ASSERT_EQ(seq.length(), l.expected_size);
  for (size_t i = 0; i < l.fields.size(); ++i)
    EXPECT_EQ(Bytes(seq.get_buffer() + l.expected_offsets[i], values[i].size()), values[i])
        << l.name << " field " << i;

  VQDataUnpacker unpacker(seq);
  for (size_t i = 0; i < l.fields.size(); ++i) {
    std::vector<unsigned char> back(values[i].size(), 0);
    ASSERT_TRUE(UnpackFrom(unpacker, back.data(), l.fields[i].first, l.fields[i].second));
    EXPECT_EQ(back, values[i]) << l.name << " field " << i;
  }
  EXPECT_EQ(unpacker.GetRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Payloads, CommandLayouts,
                         ::testing::Values(Layout{"incident",
                                                  {{4, 1}, {4, 1}, {4, 1}, {4, 1}, {4, 1}},
                                                  INCIDENT_MSG_ARG_SIZE,
                                                  {0, 4, 8, 12, 16}},
                                           Layout{"vms",
                                                  {{4, 1}, {4, 1}, {4, 1}, {4, 2}, {4, 1}, {4, 1}, {4, 100}},
                                                  VMS_MSG_ARG_SIZE,
                                                  {0, 4, 8, 12, 20, 24, 28}},
                                           Layout{"workzone",
                                                  {{4, 1}, {4, 1}, {4, 1}, {4, 1}, {4, 1}, {4, 1}, {4, 1}},
                                                  WORKZONE_MSG_ARG_SIZE,
                                                  {0, 4, 8, 12, 16, 20, 24}},
                                           Layout{"mixed sizes", {{1, 3}, {8, 1}, {2, 5}}, 21, {0, 3, 11}}),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& c : n)
                             if (c == ' ')
                               c = '_';
                           return n;
                         });

TEST(DataPacker, TypedFieldsComeBackWithTheirValues)
{
  const int32_t up = 1234, down = 5678;
  const float start = 480.0f, end = 540.0f, severity = 0.7f;
  VQDataPacker packer;
  PackInto(packer, &up, sizeof up);
  PackInto(packer, &down, sizeof down);
  PackInto(packer, &start, sizeof start);
  PackInto(packer, &end, sizeof end);
  PackInto(packer, &severity, sizeof severity);
  QELM::MSG msg;
  msg.ID = MSG_INCIDENT_ADD;
  ASSERT_TRUE(packer.Pack(msg.arg));

  int32_t up2 = 0, down2 = 0;
  float start2 = 0, end2 = 0, severity2 = 0;
  VQDataUnpacker unpacker(msg.arg);
  EXPECT_TRUE(UnpackFrom(unpacker, &up2, sizeof up2));
  EXPECT_TRUE(UnpackFrom(unpacker, &down2, sizeof down2));
  EXPECT_TRUE(UnpackFrom(unpacker, &start2, sizeof start2));
  EXPECT_TRUE(UnpackFrom(unpacker, &end2, sizeof end2));
  EXPECT_TRUE(UnpackFrom(unpacker, &severity2, sizeof severity2));
  EXPECT_EQ(up2, up);
  EXPECT_EQ(down2, down);
  EXPECT_EQ(start2, start);
  EXPECT_EQ(end2, end);
  EXPECT_EQ(severity2, severity);
}

// Refused packers: Pack returns false, writes nothing and logs the check
// that failed.
enum class BufferKind { Normal, Null, Short };

struct PackRefusal
{
  const char* name;
  std::vector<size_t> counts;  // int32 arrays registered, by count
  BufferKind buffer;
  bool null_data;
  const char* check;
};

class PackRefusals : public ::testing::TestWithParam<PackRefusal>
{};

TEST_P(PackRefusals, WriteNothingAndLogTheCheck)
{
  const PackRefusal& r = GetParam();
  LogCapture log;
  int32_t data[16] = {};
  for (int i = 0; i < 16; ++i)
    data[i] = 0x01010101 * (i + 1);
  VQDataPacker packer;
  for (size_t count : r.counts)
    PackInto(packer, r.null_data ? nullptr : data, sizeof(int32_t), count);

  std::vector<unsigned char> buf(128, 0xAA);
  const std::vector<unsigned char> untouched = buf;
  bool ok;
  switch (r.buffer) {
  case BufferKind::Null: ok = packer.Pack(static_cast<void*>(nullptr)); break;
  case BufferKind::Short: ok = packer.Pack(buf.data(), packer.GetStorageSize() - 1); break;
  default: ok = packer.Pack(buf.data(), buf.size()); break;
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(buf, untouched);
  EXPECT_NE(log.Text().find(std::string("Assertion Failed: \"") + r.check + "\""), std::string::npos)
      << log.Text();

  // The sequence form refuses the same packers and leaves the sequence.
  if (r.buffer == BufferKind::Normal) {
    QELM::OctetSeq seq;
    seq.length(3);
    seq[0] = 9;
    EXPECT_FALSE(packer.Pack(seq));
    ASSERT_EQ(seq.length(), 3u);
    EXPECT_EQ(seq[0], 9);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Packer, PackRefusals,
    ::testing::Values(PackRefusal{"empty", {}, BufferKind::Normal, false, "m_storage_size != 0"},
                      PackRefusal{"null_buffer", {2}, BufferKind::Null, false, "buffer != 0"},
                      PackRefusal{"zero_count_last", {2, 3, 0}, BufferKind::Normal, false, "arr.size != 0"},
                      PackRefusal{"zero_count_first", {0, 4}, BufferKind::Normal, false, "arr.size != 0"},
                      PackRefusal{
                          "short_buffer", {4}, BufferKind::Short, false, "buffer_length >= m_storage_size"},
                      PackRefusal{"null_data", {2}, BufferKind::Normal, true, "arr.data != 0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataPacker, SizeOverflowIsRefused)
{
  const int32_t x = 1;
  VQDataPacker packer;
  PackInto(packer, &x, sizeof x);
  PackInto(packer, &x, SIZE_MAX / 2, 3);
  unsigned char buf[8] = {};
  EXPECT_FALSE(packer.Pack(buf));
}

// Unpacking: a sequence of requests against an image of a given length.
// Each refused request copies nothing and keeps the read position.
struct ExtractCase
{
  const char* name;
  size_t image_length;
  std::vector<std::pair<size_t, size_t>> requests;  // element size, count
  std::vector<bool> expected;
};

class UnpackerBounds : public ::testing::TestWithParam<ExtractCase>
{};

TEST_P(UnpackerBounds, NeverReadsPastTheImage)
{
  const ExtractCase& c = GetParam();
  // Heap image of exactly image_length bytes: AddressSanitizer flags any
  // read past it.
  std::vector<unsigned char> image(c.image_length);
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<unsigned char>(i + 1);
  VQDataUnpacker unpacker(image.data(), image.size());
  size_t pos = 0;
  for (size_t i = 0; i < c.requests.size(); ++i) {
    const size_t bytes = c.requests[i].first * c.requests[i].second;
    std::vector<unsigned char> target(bytes < 4096 ? bytes + 1 : 1, 0xEE);
    const bool ok = unpacker.Extract(target.data(), c.requests[i].first, c.requests[i].second);
    EXPECT_EQ(ok, c.expected[i]) << "request " << i;
    if (ok) {
      for (size_t b = 0; b < bytes; ++b)
        EXPECT_EQ(target[b], image[pos + b]);
      pos += bytes;
    } else {
      for (unsigned char t : target)
        EXPECT_EQ(t, 0xEE);
    }
    EXPECT_EQ(unpacker.GetReadPos(), pos) << "request " << i;
    EXPECT_EQ(target.back(), 0xEE) << "wrote past the asked bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Unpacker, UnpackerBounds,
    ::testing::Values(ExtractCase{"exact", 8, {{4, 1}, {4, 1}, {1, 1}}, {true, true, false}},
                      ExtractCase{"too_much_then_fits",
                                  8,
                                  {{4, 1}, {4, 2}, {2, 2}, {1, 0}, {1, 1}},
                                  {true, false, true, true, false}},
                      ExtractCase{"empty_image", 0, {{4, 1}, {1, 0}}, {false, true}},
                      ExtractCase{"array_longer_than_image", 20, {{4, 100}, {4, 5}}, {false, true}},
                      ExtractCase{"size_overflow",
                                  16,
                                  {{SIZE_MAX / 2, 3}, {SIZE_MAX, SIZE_MAX}, {8, 2}},
                                  {false, false, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataUnpacker, NullBufferIsRefusedAndLogged)
{
  LogCapture log;
  VQDataUnpacker unpacker(nullptr, 16);
  int32_t x = 5;
  EXPECT_FALSE(UnpackFrom(unpacker, &x, sizeof x));
  EXPECT_EQ(x, 5);
  EXPECT_NE(log.Text().find("Assertion Failed: \"m_buffer != NULL\""), std::string::npos) << log.Text();
}

TEST(DataUnpacker, ReadingPastTheEndIsLogged)
{
  LogCapture log;
  const unsigned char image[2] = {1, 2};
  VQDataUnpacker unpacker(image, sizeof image);
  int32_t x = 5;
  EXPECT_FALSE(UnpackFrom(unpacker, &x, sizeof x));
  EXPECT_EQ(x, 5);
  EXPECT_NE(log.Text().find("Assertion Failed: \"m_read_pos + elem_size * count <= m_length\""),
            std::string::npos)
      << log.Text();
}

}  // namespace
