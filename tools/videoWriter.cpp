#include "tools/videoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// The containers and encoders this tool is known to write with Debian's FFmpeg.
const char* const videoExtensions[] = {".mp4", ".mkv", ".webm", ".webp", ".gif"};

std::string extensionOf(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The encoder's own preference comes first in its list, except that 4:2:0 is what
// players expect of H.264 and WebP.
AVPixelFormat pickPixelFormat(const AVCodec* encoder)
{
    if (!encoder->pix_fmts)
        return AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* f = encoder->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == AV_PIX_FMT_YUV420P)
            return *f;
    return encoder->pix_fmts[0];
}

} // namespace

VideoWriter::~VideoWriter()
{
    abandon();
}

bool VideoWriter::open(const std::string& filePath, int w, int h, int fps, std::string& error)
{
    abandon();
    path = filePath;
    width = w;
    height = h;
    av_log_set_level(AV_LOG_FATAL);  // failures are reported as our own lines
    if (!videoExtensionTaken(path)) {
        const std::string extension = extensionOf(path);
        error = (extension.empty() ? std::string("a name without an extension") : extension) +
                " is no video format this tool writes; use " + videoExtensionList();
        return false;
    }
    if (avformat_alloc_output_context2(&format, nullptr, nullptr, path.c_str()) < 0 || !format) {
        error = "cannot tell a video format from the name " + path + "; use " + videoExtensionList();
        return false;
    }
    AVCodecID codecId = format->oformat->video_codec;
    if (std::string(format->oformat->name) == "mp4" || std::string(format->oformat->name) == "mov")
        codecId = AV_CODEC_ID_H264;
    const AVCodec* encoder = codecId == AV_CODEC_ID_NONE ? nullptr : avcodec_find_encoder(codecId);
    if (!encoder) {
        error = std::string("no ") + avcodec_get_name(codecId) + " encoder in this FFmpeg for " + path;
        release();
        return false;
    }
    const AVPixelFormat pixelFormat = pickPixelFormat(encoder);
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(pixelFormat);
    if (layout && (((w % 2) && layout->log2_chroma_w) || ((h % 2) && layout->log2_chroma_h))) {
        error = std::string(encoder->name) + " needs an even width and height; " + std::to_string(w) + "x" +
                std::to_string(h) + " is not";
        release();
        return false;
    }
    stream = avformat_new_stream(format, nullptr);
    codec = avcodec_alloc_context3(encoder);
    if (!stream || !codec) {
        error = "out of memory for the encoder";
        release();
        return false;
    }
    codec->width = w;
    codec->height = h;
    codec->time_base = AVRational{1, fps};
    codec->framerate = AVRational{fps, 1};
    codec->gop_size = fps;
    codec->pix_fmt = pixelFormat;
    // swscale converts with the BT.601 matrix and limited range; say so, so players
    // convert back with the same.
    codec->colorspace = AVCOL_SPC_SMPTE170M;
    codec->color_range = AVCOL_RANGE_MPEG;
    if (codecId == AV_CODEC_ID_H264) {
        av_opt_set(codec->priv_data, "preset", "medium", 0);
        av_opt_set(codec->priv_data, "crf", "18", 0);
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int status = avcodec_open2(codec, encoder, nullptr);
    if (status < 0) {
        error = std::string("the ") + encoder->name + " encoder refused " + std::to_string(w) + "x" +
                std::to_string(h) + " at " + std::to_string(fps) + " fps: " + errorText(status);
        release();
        return false;
    }
    avcodec_parameters_from_context(stream->codecpar, codec);
    stream->time_base = codec->time_base;
    if (!(format->oformat->flags & AVFMT_NOFILE)) {
        // Written beside the name and renamed over it once finished, so an unfinished video
        // never stands under the name; handed to FFmpeg through this process's own handle.
        std::string why;
        if (!openPartFile(path, part, &why)) {
            error = "cannot write " + path + ": " + why;
            release();
            return false;
        }
        status = avio_open(&format->pb, ("file:/proc/self/fd/" + std::to_string(part.fd)).c_str(), AVIO_FLAG_WRITE);
        if (status < 0) {
            error = "cannot write " + path + ": " + errorText(status);
            dropPartFile(part);
            release();
            return false;
        }
        fileOpen = true;
    }
    // Animated pictures (GIF, WebP) play on in a loop, as a preview in a page should.
    AVDictionary* muxerOptions = nullptr;
    av_dict_set(&muxerOptions, "loop", "0", 0);
    status = avformat_write_header(format, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (status < 0) {
        error = "cannot start " + path + ": " + errorText(status);
        abandon();
        return false;
    }
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    scaler = sws_getContext(w, h, AV_PIX_FMT_RGBA, w, h, pixelFormat, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!frame || !packet || !scaler) {
        error = "out of memory for the encoder";
        abandon();
        return false;
    }
    frame->format = pixelFormat;
    frame->width = w;
    frame->height = h;
    if (av_frame_get_buffer(frame, 0) < 0) {
        error = "out of memory for a frame";
        abandon();
        return false;
    }
    framesAdded = 0;
    return true;
}

bool videoExtensionTaken(const std::string& path)
{
    const std::string extension = extensionOf(path);
    return std::any_of(std::begin(videoExtensions), std::end(videoExtensions),
                       [&](const char* taken) { return extension == taken; });
}

std::string videoExtensionList()
{
    std::string list;
    for (size_t i = 0; i < std::size(videoExtensions); ++i)
        list += (i == 0 ? "" : i + 1 == std::size(videoExtensions) ? " or " : ", ") + std::string(videoExtensions[i]);
    return list;
}

std::string VideoWriter::encoderName() const
{
    if (!codec || !codec->codec)
        return "";
    return std::string(avcodec_get_name(codec->codec_id)) + " (" + codec->codec->name + ")";
}

bool VideoWriter::addFrame(const unsigned char* rgba, std::string& error)
{
    if (!codec || !frame) {
        error = "the video is not open";
        return false;
    }
    int status = av_frame_make_writable(frame);
    if (status < 0) {
        error = "cannot reuse the frame: " + errorText(status);
        return false;
    }
    // GL hands rows bottom first; start at the top row and step backwards.
    const uint8_t* top[1] = {rgba + static_cast<size_t>(height - 1) * width * 4};
    const int stride[1] = {-width * 4};
    sws_scale(scaler, top, stride, 0, height, frame->data, frame->linesize);
    frame->pts = framesAdded++;
    status = avcodec_send_frame(codec, frame);
    if (status < 0) {
        error = "encoding frame " + std::to_string(framesAdded) + " failed: " + errorText(status);
        return false;
    }
    return drain(false, error);
}

bool VideoWriter::drain(bool flushing, std::string& error)
{
    for (;;) {
        const int status = avcodec_receive_packet(codec, packet);
        if (status == AVERROR(EAGAIN) || (flushing && status == AVERROR_EOF))
            return true;
        if (status < 0) {
            error = "encoding failed: " + errorText(status);
            return false;
        }
        // Every frame lasts one tick, so the file's duration is frames / fps.
        if (packet->duration == 0)
            packet->duration = 1;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        const int written = av_interleaved_write_frame(format, packet);
        av_packet_unref(packet);
        if (written < 0) {
            error = "cannot write " + path + ": " + errorText(written);
            return false;
        }
    }
}

bool VideoWriter::close(std::string& error)
{
    if (!codec || !format) {
        error = "the video is not open";
        return false;
    }
    int status = avcodec_send_frame(codec, nullptr);
    if (status < 0 || !drain(true, error)) {
        if (status < 0)
            error = "finishing the encoder failed: " + errorText(status);
        abandon();
        return false;
    }
    status = av_write_trailer(format);
    if (status < 0) {
        error = "cannot finish " + path + ": " + errorText(status);
        abandon();
        return false;
    }
    if (fileOpen) {
        status = avio_closep(&format->pb);
        fileOpen = false;
        std::string why;
        if (status < 0) {
            error = "cannot finish " + path + ": " + errorText(status);
            dropPartFile(part);
            release();
            return false;
        }
        if (!finishPartFile(part, &why)) {
            error = "cannot finish " + path + ": " + why;
            release();
            return false;
        }
    }
    release();
    return true;
}

void VideoWriter::abandon()
{
    const bool hadFile = fileOpen;
    if (fileOpen && format)
        avio_closep(&format->pb);
    fileOpen = false;
    release();
    if (hadFile)
        dropPartFile(part);
}

void VideoWriter::release()
{
    if (fileOpen && format)
        avio_closep(&format->pb);
    fileOpen = false;
    sws_freeContext(scaler);
    scaler = nullptr;
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    if (format)
        avformat_free_context(format);
    format = nullptr;
    stream = nullptr;
}
