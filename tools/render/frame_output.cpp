#include "render/frame_output.h"

#include "common/viewer_session.h"
#include "render/video_file.h"
#include "surface/png_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What a file made here gets, as any program's new file would: not the
// owner-only mode of a temporary one.
mode_t usualMode(mode_t mode)
{
    const mode_t mask = umask(0);
    umask(mask);
    return mode & ~mask;
}

std::string folderOf(const std::string& path)
{
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

// Frames written into a temporary folder; at the end they move to OUT, which
// is made then if it does not exist.
class PngFolder final : public FrameSink {
public:
    PngFolder(const std::string& temp, const std::string& out, int frameWidth, int frameHeight)
        : tempFolder(temp), outFolder(out), width(frameWidth), height(frameHeight)
    {}

    bool write(const uint8_t* pixels) override
    {
        if (firstFailure.failed())
            return false;
        const std::string path = tempFolder + "/" + frameName(++frames);
        errno = 0;
        if (!writePngBottomRowFirst(path.c_str(), width, height, 3, pixels))
            return fail("frame " + std::to_string(frames) + ": " + std::strerror(errno != 0 ? errno : EIO));
        return true;
    }

    bool finish() override
    {
        if (firstFailure.failed())
            return false;
        std::error_code error;
        if (!fs::exists(outFolder, error)) {
            chmod(tempFolder.c_str(), usualMode(0777));
            if (std::rename(tempFolder.c_str(), outFolder.c_str()) != 0)
                return fail(std::strerror(errno));
            return true;
        }
        for (int n = 1; n <= frames; ++n) {
            const std::string name = frameName(n);
            if (std::rename((tempFolder + "/" + name).c_str(), (outFolder + "/" + name).c_str()) != 0)
                return fail(std::strerror(errno));
        }
        fs::remove(tempFolder, error);
        return true;
    }

    void discard() override
    {
        std::error_code error;
        fs::remove_all(tempFolder, error);
    }

    std::string folder() const override { return folderOf(tempFolder); }

private:
    static std::string frameName(int n)
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06d.png", n);
        return name;
    }

    std::string tempFolder, outFolder;
    int width, height;
    int frames = 0;
};

} // namespace

std::unique_ptr<FrameSink> openFrameSink(const std::string& out, int width, int height, int fps, Report& problem)
{
    std::error_code error;
    const fs::path path(out);
    const bool isFolder = fs::is_directory(path, error);
    const std::string extension = path.extension().string();
    if (!isFolder && extension == ".mp4") {
        if (width % 2 != 0 || height % 2 != 0) {
            problem = {Failure::Write, {}, 0, "a video's width and height must be even"};
            return nullptr;
        }
        // Beside OUT, so the rename at the end stays on one file system.
        std::string temp = folderOf(out) + "/." + path.filename().string() + ".XXXXXX";
        const int file = mkstemp(temp.data());
        if (file < 0) {
            problem = {Failure::Write, {}, 0, std::strerror(errno)};
            return nullptr;
        }
        fchmod(file, usualMode(0666));
        close(file);
        return openVideoFile(temp, out, width, height, fps, problem);
    }
    if (!isFolder && (fs::exists(path, error) || !extension.empty())) {
        problem = {Failure::Write, {}, 0, "give a name ending in .mp4 for a video, or a folder for PNG frames"};
        return nullptr;
    }
    // Inside OUT when it exists, else beside it.
    std::string temp =
        isFolder ? out + "/.lumora-render.XXXXXX" : folderOf(out) + "/." + path.filename().string() + ".XXXXXX";
    if (!mkdtemp(temp.data())) {
        problem = {Failure::Write, {}, 0, std::strerror(errno)};
        return nullptr;
    }
    return std::make_unique<PngFolder>(temp, out, width, height);
}

FramePipe::FramePipe(FrameSink& frameSink, int width, int height) : sink(frameSink)
{
    for (std::vector<uint8_t>& slot : slots)
        slot.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    writer = std::thread(&FramePipe::run, this);
}

FramePipe::~FramePipe() { drain(); }

uint8_t* FramePipe::nextSlot()
{
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [this] { return filled < kSlots; });
    return slots[writeSlot].data();
}

void FramePipe::submit()
{
    {
        std::lock_guard<std::mutex> hold(lock);
        writeSlot = (writeSlot + 1) % kSlots;
        ++filled;
    }
    changed.notify_all();
}

bool FramePipe::drain()
{
    {
        std::lock_guard<std::mutex> hold(lock);
        ending = true;
    }
    changed.notify_all();
    if (writer.joinable())
        writer.join();
    return !failed;
}

bool FramePipe::writing() const
{
    std::lock_guard<std::mutex> hold(lock);
    return !failed;
}

double FramePipe::writingSeconds() const
{
    std::lock_guard<std::mutex> hold(lock);
    return cpuSeconds;
}

void FramePipe::run()
{
    for (;;) {
        const uint8_t* pixels = nullptr;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [this] { return filled > 0 || ending; });
            if (filled == 0)
                return;
            pixels = slots[readSlot].data();
        }
        const double start = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        // After a failure the frames are passed over; drain reports it.
        const bool written = failed || sink.write(pixels);
        const double took = clockSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
        {
            std::lock_guard<std::mutex> hold(lock);
            failed = failed || !written;
            cpuSeconds += took;
            readSlot = (readSlot + 1) % kSlots;
            --filled;
        }
        changed.notify_all();
    }
}
