#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/forwarding_host.h"
#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::InChild;
using host_testing::LimitFileSize;
using host_testing::Names;
using host_testing::PosixHostTest;

// Answers appends with the base class's way: read whole, write whole.
class WholeWriteHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  void AppendFile(const std::string& path, std::string_view data, bool flush) override {
    Host::AppendFile(path, data, flush);
  }
};

TEST_F(PosixHostTest, AppendAddsAtTheEndOfAnExistingFileOnly) {
  WholeWriteHost whole(*host_);
  for (Host* host : {static_cast<Host*>(host_.get()), static_cast<Host*>(&whole)}) {
    Put("log", "head\r\n");
    host->AppendFile(Path("LOG"), "one\r\n", false);  // found in another case
    host->AppendFile(Path("log"), "two\r\n", true);
    EXPECT_EQ(Get("log"), "head\r\none\r\ntwo\r\n");

    EXPECT_THROW(host->AppendFile(Path("missing"), "x", false), HostError);
    EXPECT_EQ(NamesIn(), Names{"log"});  // nothing created
    ::chmod(Path("log").c_str(), 0444);
    EXPECT_THROW(host->AppendFile(Path("log"), "x", false), HostError);
    ::chmod(Path("log").c_str(), 0644);
    host_->MakeFolder(Path("folder"));
    EXPECT_THROW(host->AppendFile(Path("folder"), "x", false), HostError);
    EXPECT_EQ(Get("log"), "head\r\none\r\ntwo\r\n");
    host_->RemoveFolder(Path("folder"));
  }
}

TEST_F(PosixHostTest, AppendCutShortLeavesTheOldContent) {
  Put("log", std::string(500, 'a'));
  const int code = InChild([&] {
    LimitFileSize(1000);  // room for part of the data only
    try {
      host_->AppendFile(Path("log"), std::string(2000, 'b'), true);
      return 1;
    } catch (const HostError&) {
      return 0;
    }
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Get("log"), std::string(500, 'a'));
}

}  // namespace
}  // namespace zv
