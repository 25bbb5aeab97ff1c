#include "render/video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// x264's fastest preset: the software renderer keeps every core busy
// drawing, so each millisecond spent encoding slows the render; the quality
// below keeps grass and palm fronds clean all the same. Slower presets make
// smaller files at several times the encoding time.
constexpr const char* kPreset = "ultrafast";
constexpr const char* kQuality = "20"; // constant rate factor; lower is better and bigger
// One thread, the writer's own, beside the drawing: a fixed count keeps the
// bytes the same on every machine (x264's output depends on its thread count).
constexpr int kEncoderThreads = 1;

std::string avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

class VideoFile final : public FrameSink {
public:
    VideoFile(const std::string& temp, const std::string& out, int frameWidth, int frameHeight)
        : tempPath(temp), outPath(out), width(frameWidth), height(frameHeight)
    {}
    ~VideoFile() override { release(); }

    bool open(int fps);
    bool write(const uint8_t* pixels) override;
    bool finish() override;
    std::string folder() const override { return std::filesystem::path(tempPath).parent_path().string(); }
    void discard() override;

private:
    bool writePackets();
    bool closeFile();
    void release();

    std::string tempPath, outPath;
    int width, height;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scale = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int64_t nextFrame = 0;
};

bool VideoFile::open(int fps)
{
    av_log_set_level(AV_LOG_ERROR); // no encoder banners; errors still show
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    if (!encoder)
        return fail("FFmpeg's libraries here have no libx264 encoder");
    // "file:" keeps a colon in the name from being taken for a protocol.
    const std::string url = "file:" + tempPath;
    if (avformat_alloc_output_context2(&format, nullptr, "mp4", url.c_str()) < 0)
        return fail("FFmpeg's libraries here cannot write MP4");
    format->flags |= AVFMT_FLAG_BITEXACT; // no library version in the file

    codec = avcodec_alloc_context3(encoder);
    codec->width = width;
    codec->height = height;
    codec->time_base = {1, fps};
    codec->framerate = {fps, 1};
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    codec->thread_count = kEncoderThreads;
    codec->flags |= AV_CODEC_FLAG_BITEXACT;
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", kPreset, 0);
    av_dict_set(&options, "crf", kQuality, 0);
    const int opened = avcodec_open2(codec, encoder, &options);
    av_dict_free(&options);
    if (opened < 0)
        return fail("the H.264 encoder refused " + std::to_string(width) + " x " + std::to_string(height) + ": " +
                    avError(opened));

    stream = avformat_new_stream(format, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0)
        return fail("cannot set up the video stream");
    stream->time_base = codec->time_base;
    if (const int error = avio_open(&format->pb, url.c_str(), AVIO_FLAG_WRITE); error < 0)
        return fail(avError(error));
    AVDictionary* muxing = nullptr;
    av_dict_set(&muxing, "movflags", "+faststart", 0);
    const int header = avformat_write_header(format, &muxing);
    av_dict_free(&muxing);
    if (header < 0)
        return fail(avError(header));

    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (!frame || !packet)
        return fail("out of memory");
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    frame->color_range = AVCOL_RANGE_MPEG;
    frame->colorspace = AVCOL_SPC_BT709;
    if (av_frame_get_buffer(frame, 0) < 0)
        return fail("out of memory");
    scale = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                           nullptr, nullptr);
    if (!scale)
        return fail("cannot convert RGB to yuv420p");
    // Full-range RGB in, BT.709 in the limited range out, as the stream says.
    sws_setColorspaceDetails(scale, sws_getCoefficients(SWS_CS_ITU709), 1, sws_getCoefficients(SWS_CS_ITU709), 0, 0,
                             1 << 16, 1 << 16);
    return true;
}

bool VideoFile::write(const uint8_t* pixels)
{
    if (firstFailure.failed())
        return false;
    if (av_frame_make_writable(frame) < 0)
        return fail("out of memory");
    // The rows come bottom first: start at the last and step back.
    const int stride = width * 3;
    const uint8_t* source[1] = {pixels + static_cast<size_t>(height - 1) * static_cast<size_t>(stride)};
    const int sourceStride[1] = {-stride};
    sws_scale(scale, source, sourceStride, 0, height, frame->data, frame->linesize);
    frame->pts = nextFrame++;
    if (const int error = avcodec_send_frame(codec, frame); error < 0)
        return fail("the encoder failed: " + avError(error));
    return writePackets();
}

bool VideoFile::writePackets()
{
    int received = 0;
    while ((received = avcodec_receive_packet(codec, packet)) == 0) {
        // Every frame lasts one frame time, the last one too: without a
        // duration the muxer gives the last sample none, and players drop it.
        packet->duration = 1;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (const int error = av_interleaved_write_frame(format, packet); error < 0)
            return fail(avError(error));
    }
    return received == AVERROR(EAGAIN) || received == AVERROR_EOF ? true
                                                                  : fail("the encoder failed: " + avError(received));
}

bool VideoFile::closeFile()
{
    if (!format || !format->pb)
        return true;
    const int ioError = format->pb->error;
    const int closed = avio_closep(&format->pb);
    if (ioError < 0)
        return fail(avError(ioError));
    return closed < 0 ? fail(avError(closed)) : true;
}

bool VideoFile::finish()
{
    if (firstFailure.failed())
        return false;
    if (const int error = avcodec_send_frame(codec, nullptr); error < 0)
        return fail("the encoder failed: " + avError(error));
    if (!writePackets())
        return false;
    if (const int error = av_write_trailer(format); error < 0)
        return fail(avError(error));
    if (!closeFile())
        return false;
    if (std::rename(tempPath.c_str(), outPath.c_str()) != 0)
        return fail(std::strerror(errno));
    return true;
}

void VideoFile::discard()
{
    release();
    std::remove(tempPath.c_str());
}

void VideoFile::release()
{
    closeFile();
    avformat_free_context(format);
    format = nullptr;
    avcodec_free_context(&codec);
    sws_freeContext(scale);
    scale = nullptr;
    av_frame_free(&frame);
    av_packet_free(&packet);
}

} // namespace

std::unique_ptr<FrameSink> openVideoFile(const std::string& tempPath, const std::string& outPath, int width,
                                         int height, int fps, Report& problem)
{
    auto video = std::make_unique<VideoFile>(tempPath, outPath, width, height);
    if (video->open(fps))
        return video;
    problem = video->problem();
    video->discard();
    return nullptr;
}
