// Files that are not regular files, or cannot be read, are refused at once with the reason:
// nothing waits on a named pipe, and every message says why.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/sound_file_reader.h"
#include "audio/wave_device.h"
#include "fakes/child_process.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/wav_builder.h"
#include "framework/app_context.h"
#include "view/display_data.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
using namespace std::chrono_literals;

class HostileFiles : public ::testing::Test {
  protected:
    HostileFiles() {
        context.devices = &devices;
        context.messageBoxes = &boxes;
        ::mkfifo(fifo.c_str(), 0666);
        ::mkdir(folder.c_str(), 0777);
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~HostileFiles() override { ::close(socketFd); }

    // Runs `f`, failing the test when it has not returned within seconds. Calls stuck on the
    // named pipe are then released by a writer, again and again, so the test still ends.
    template <class F>
    auto promptly(F f) {
        auto result = std::async(std::launch::async, f);
        if (result.wait_for(5s) == std::future_status::timeout) {
            ADD_FAILURE() << "blocked on a file that is not a regular file";
            do {
                const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
            } while (result.wait_for(10ms) == std::future_status::timeout);
        }
        return result.get();
    }

    FakeTempDir dir;
    std::string fifo = dir.file("pipe.wav");
    std::string folder = dir.file("folder.wav");
    std::string socketPath = dir.file("socket.wav");
    int socketFd = -1;
    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeMessageBoxes boxes;
    AppContext context;
};

TEST_F(HostileFiles, OpenRefusesWhatIsNotARegularFileAtOnceAndSaysWhy) {
    const struct {
        std::string path;
        std::string reason;
        std::string deviceReason;
    } cases[] = {
        {fifo, "not a regular file but a named pipe (FIFO)", ""},
        {socketPath, "not a regular file but a socket", ""},
        {folder, "not a regular file but a folder", ""},
        {"/dev/null", "not a regular file but a device", ""},
        {dir.file("missing.wav"), "No such file or directory", "The file does not exist."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        boxes.shown.clear();
        CQuorbelDoc doc(context);
        EXPECT_FALSE(promptly([&] { return doc.OnOpenDocument(c.path); }));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Cannot open file " + c.path + ": " + c.reason + ".");
        EXPECT_EQ(doc.m_wDeviceID, 0u);

        // The device and the view's own reader refuse it just as fast, with the same reason.
        DeviceId id = 0;
        const unsigned code = promptly([&] { return devices.open(c.path, id); });
        EXPECT_NE(code, kDeviceOk);
        const std::string deviceReason = c.deviceReason.empty() ? c.reason : c.deviceReason;
        EXPECT_NE(devices.errorText(code).find(deviceReason), std::string::npos)
            << devices.errorText(code);
        const Expected<DisplayData> display = promptly([&] { return ReadDisplayData(c.path); });
        ASSERT_FALSE(display);
        EXPECT_EQ(display.error().code, WaveFault::CaptureUnreadable);
    }
    EXPECT_EQ(devices.openCount(), 0u);
}

TEST_F(HostileFiles, AFileThatCannotBeReadSaysPermissionDenied) {
    const std::string locked = dir.file("locked.wav");
    WriteBytes(locked, SimpleWave(Counting(8), 1, 8, 8000));
    ::chmod(locked.c_str(), 0);
    ::chmod(dir.path().c_str(), 0755);
    const ChildResult child = RunInChild(
        [&] {
            CQuorbelDoc doc(context);
            const bool opened = doc.OnOpenDocument(locked);
            DeviceId id = 0;
            const unsigned code = devices.open(locked, id);
            return std::string(opened ? "opened" : "refused") + "|" +
                   (boxes.shown.empty() ? "" : boxes.shown[0].text) + "|" + devices.errorText(code);
        },
        /*unprivileged=*/true);
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.output, "refused|Cannot open file " + locked +
                                ": Permission denied.|Cannot read the file " + locked +
                                ": Permission denied");
}

}  // namespace
}  // namespace quorbel
