// What the System Settings dialog shows of this machine and the
// environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "SystemSettings.h"

namespace {

TEST(SystemSettings, AddressText)
{
  EXPECT_EQ(MachineIPText(std::nullopt), "");
  EXPECT_EQ(MachineIPText(std::string()), "Not available");
  EXPECT_EQ(MachineIPText(std::string("10.0.0.5")), "10.0.0.5");
  EXPECT_EQ(FirstAddressOf("localhost"), std::optional<std::string>("127.0.0.1"));
  EXPECT_EQ(FirstAddressOf("127.0.0.9"), std::optional<std::string>("127.0.0.9"));
  EXPECT_EQ(FirstAddressOf(""), std::nullopt);
}

TEST(SystemSettings, ValuesFromTheMachineAndTheEnvironment)
{
  ::setenv("QELM_NAME_SERVICE_HOST", "10.0.0.5:10013", 1);
  ::unsetenv("QELM_RUN_DIR");
  const SystemSettingsValues v = ReadSystemSettings();
  char host[256] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  EXPECT_EQ(v.machineName, std::string(host).substr(0, kSettingsFieldLength));
  EXPECT_EQ(v.machineIP, MachineIPText(FirstAddressOf(v.machineName)));
  EXPECT_EQ(v.nameServiceHost, "10.0.0.5:10013");
  EXPECT_EQ(v.runDir, "");
  ::unsetenv("QELM_NAME_SERVICE_HOST");
}

}  // namespace
