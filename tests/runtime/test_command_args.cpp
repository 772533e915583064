// The command payloads against their wire layout: every field at its byte
// offset, the sizes 20, 428 and 28, and the refusal of any other length.
#include "qelm_command_args.h"
#include "qelm_msg_codes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The payload as the layout table gives it: each value at its offset.
class Wire
{
public:
  explicit Wire(size_t size) : m_bytes(size, 0) {}
  template <class V>
  Wire& At(size_t offset, V v)
  {
    std::memcpy(m_bytes.data() + offset, &v, sizeof v);
    return *this;
  }
  const std::vector<unsigned char>& Bytes() const { return m_bytes; }

private:
  std::vector<unsigned char> m_bytes;
};

std::vector<unsigned char> Bytes(const QELM::OctetSeq& s)
{
  return std::vector<unsigned char>(s.get_buffer(), s.get_buffer() + s.length());
}

QELM::OctetSeq Seq(const std::vector<unsigned char>& b)
{
  QELM::OctetSeq s;
  s.length(static_cast<CORBA::ULong>(b.size()));
  if (!b.empty())
    std::memcpy(s.get_buffer(), b.data(), b.size());
  return s;
}

}  // namespace

TEST(CommandArgs, IncidentFieldsAtTheirOffsets)
{
  IncidentMsgArg a;
  a.from_node = 101;
  a.to_node = -7;
  a.start = 480;
  a.end = 540.5f;
  a.severity = 0.3f;
  const Wire w = Wire(INCIDENT_MSG_ARG_SIZE)
                     .At(0, int32_t{101})
                     .At(4, int32_t{-7})
                     .At(8, 480.0f)
                     .At(12, 540.5f)
                     .At(16, 0.3f);
  EXPECT_EQ(Bytes(PackCommandArg(a)), w.Bytes());

  IncidentMsgArg back;
  ASSERT_TRUE(UnpackCommandArg(Seq(w.Bytes()), back));
  EXPECT_EQ(back.from_node, 101);
  EXPECT_EQ(back.to_node, -7);
  EXPECT_EQ(back.end, 540.5f);
  EXPECT_EQ(back.severity, 0.3f);
}

TEST(CommandArgs, VMSFieldsAtTheirOffsets)
{
  VMSMsgArg a;
  a.type = 2;
  a.from_node = 11;
  a.to_node = 12;
  a.params[0] = 100;
  a.params[1] = -20;
  a.start = 60;
  a.end = 120;
  a.path[0] = 12;
  a.path[99] = 77;  // entries past the count travel unchanged
  const Wire w = Wire(VMS_MSG_ARG_SIZE)
                     .At(0, int32_t{2})
                     .At(4, int32_t{11})
                     .At(8, int32_t{12})
                     .At(12, int32_t{100})
                     .At(16, int32_t{-20})
                     .At(20, 60.0f)
                     .At(24, 120.0f)
                     .At(28, int32_t{12})
                     .At(28 + 4 * 99, int32_t{77});
  EXPECT_EQ(Bytes(PackCommandArg(a)), w.Bytes());

  VMSMsgArg back;
  ASSERT_TRUE(UnpackCommandArg(Seq(w.Bytes()), back));
  EXPECT_EQ(back.params[1], -20);
  EXPECT_EQ(back.path[0], 12);
  EXPECT_EQ(back.path[99], 77);
}

TEST(CommandArgs, WorkZoneFieldsAtTheirOffsets)
{
  WorkZoneMsgArg a;
  a.from_node = 3;
  a.to_node = 4;
  a.start = 600;
  a.end = 720;
  a.capacity_reduction = 0.25f;
  a.speed_limit = 35;
  a.discharge_rate = 1800;
  const Wire w = Wire(WORKZONE_MSG_ARG_SIZE)
                     .At(0, int32_t{3})
                     .At(4, int32_t{4})
                     .At(8, 600.0f)
                     .At(12, 720.0f)
                     .At(16, 0.25f)
                     .At(20, int32_t{35})
                     .At(24, int32_t{1800});
  EXPECT_EQ(Bytes(PackCommandArg(a)), w.Bytes());

  WorkZoneMsgArg back;
  ASSERT_TRUE(UnpackCommandArg(Seq(w.Bytes()), back));
  EXPECT_EQ(back.speed_limit, 35);
  EXPECT_EQ(back.discharge_rate, 1800);
}

TEST(CommandArgs, OtherLengthsAreRefusedAndLeaveTheTargetAlone)
{
  for (size_t len : {size_t{0}, size_t{19}, size_t{21}, size_t{28}, size_t{427}, size_t{429}}) {
    SCOPED_TRACE(len);
    const QELM::OctetSeq s = Seq(std::vector<unsigned char>(len, 0xAB));
    IncidentMsgArg i;
    i.from_node = 5;
    VMSMsgArg v;
    v.type = 4;
    WorkZoneMsgArg z;
    z.speed_limit = 9;
    if (len != INCIDENT_MSG_ARG_SIZE) {
      EXPECT_FALSE(UnpackCommandArg(s, i));
    }
    if (len != VMS_MSG_ARG_SIZE) {
      EXPECT_FALSE(UnpackCommandArg(s, v));
    }
    if (len != WORKZONE_MSG_ARG_SIZE) {
      EXPECT_FALSE(UnpackCommandArg(s, z));
    }
    EXPECT_EQ(i.from_node, 5);
    EXPECT_EQ(v.type, 4);
    EXPECT_EQ(z.speed_limit, 9);
  }
}

TEST(CommandArgs, MessageCarriesCodeAndPayload)
{
  IncidentMsgArg a;
  a.severity = 1.0f;
  const QELM::MSG m = MakeCommandMsg(MSG_INCIDENT_REMOVE, PackCommandArg(a));
  EXPECT_EQ(m.ID, MSG_INCIDENT_REMOVE);
  EXPECT_EQ(m.arg.length(), INCIDENT_MSG_ARG_SIZE);
  EXPECT_GT(m.timestamp.sec, 0);
}
