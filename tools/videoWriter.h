#pragma once
// Encodes rendered frames into a video file through FFmpeg's libraries: H.264 in MP4 for
// ".mp4", otherwise the video codec the file name's format asks for (".webp" animated
// WebP, ".gif", ".mkv", ".webm"). Errors come back as one line of text; a file that was
// not finished never takes the name (an old file there stays), and a symbolic link at the
// file's name is refused, not followed.
#include "base/outputFile.h"

#include <string>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// Whether the file name's extension is one of the formats written (".mp4", ".mkv",
// ".webm", ".webp", ".gif"), and those listed for a message.
bool videoExtensionTaken(const std::string& path);
std::string videoExtensionList();

class VideoWriter {
public:
    ~VideoWriter();  // abandons an unfinished file

    // Picks the format and encoder, opens the file and writes its header.
    bool open(const std::string& path, int width, int height, int fps, std::string& error);
    // One frame of RGBA bytes, bottom row first (as GL reads them back).
    bool addFrame(const unsigned char* rgba, std::string& error);
    // Flushes the encoder and finishes the file.
    bool close(std::string& error);
    // Stops and removes the file.
    void abandon();

    // "h264 (libx264)": what open() chose.
    std::string encoderName() const;

private:
    bool drain(bool flushing, std::string& error);
    void release();

    std::string path;
    PartFile part;  // where the video is written until it is finished
    int width = 0;
    int height = 0;
    long framesAdded = 0;
    bool fileOpen = false;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
};
