#include "MovieAttributes.h"

#include "ServiceUtilities.h"
#include "ZFolderManager.h"
#include "ZTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QSet>
#include <QTransform>

#include <cmath>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libswscale/swscale.h>
}

namespace {

struct FormatCloser {
  void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecCloser {
  void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
  void operator()(SwsContext *context) const { sws_freeContext(context); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;

// How much packet data the search for the poster frame may read after the
// seek. A seek lands on the key frame before the poster time, so this only
// bounds files whose seeking fails or whose key frames lie far apart.
constexpr qint64 kPosterReadBudgetBytes = 128LL * 1024 * 1024;
constexpr int kPosterReadBudgetPackets = 50000;

// Demuxers of files that are no movies: pictures and text art, which FFmpeg
// opens as videos of one frame or of rendered text, and subtitles and metadata.
bool isNotAMovieDemuxer(const char *names) {
  static const QSet<QString> denied = {
      // pictures
      QStringLiteral("image2"), QStringLiteral("image2pipe"), QStringLiteral("alias_pix"),
      QStringLiteral("brender_pix"), QStringLiteral("fits"), QStringLiteral("txd"),
      // text art
      QStringLiteral("tty"), QStringLiteral("bin"), QStringLiteral("xbin"), QStringLiteral("adf"),
      QStringLiteral("idf"),
      // subtitles, captions, lyrics and metadata
      QStringLiteral("aqtitle"), QStringLiteral("ass"), QStringLiteral("jacosub"),
      QStringLiteral("lrc"), QStringLiteral("mcc"), QStringLiteral("microdvd"),
      QStringLiteral("mpl2"), QStringLiteral("mpsub"), QStringLiteral("pjs"),
      QStringLiteral("realtext"), QStringLiteral("sami"), QStringLiteral("scc"),
      QStringLiteral("srt"), QStringLiteral("stl"), QStringLiteral("subviewer"),
      QStringLiteral("subviewer1"), QStringLiteral("sup"), QStringLiteral("tedcaptions"),
      QStringLiteral("vobsub"), QStringLiteral("vplayer"), QStringLiteral("webvtt"),
      QStringLiteral("ffmetadata")};
  if (!names) return false;
  const QStringList list = QString::fromLatin1(names).split(QLatin1Char(','), Qt::SkipEmptyParts);
  for (const QString &name : list) {
    // "jpeg_pipe", "png_pipe" and their kind read single pictures.
    if (name.endsWith(QLatin1String("_pipe")) || denied.contains(name)) return true;
  }
  return false;
}

// Opens the file through the file protocol only: the explicit "file:" keeps a
// name such as "concat:a|b" or "http:x" from being read as another protocol,
// and the whitelist keeps playlists inside the file from reaching the network.
FormatPtr openMovie(const QString &absolutePath) {
  const QByteArray url = QByteArrayLiteral("file:") + QFile::encodeName(absolutePath);
  AVDictionary *options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  AVFormatContext *context = nullptr;
  const int opened = avformat_open_input(&context, url.constData(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return FormatPtr();
  FormatPtr format(context);
  if (isNotAMovieDemuxer(context->iformat->name)) return FormatPtr();
  // A failure here leaves some parameters unknown; the streams are still
  // worth a look, as the ffmpeg tool does.
  avformat_find_stream_info(context, nullptr);
  return format;
}

struct StreamChoice {
  int video = -1;  // the largest decodable video stream that is not cover art
  int cover = -1;  // a decodable attached picture (the cover art of a sound file)
  bool playable = false;
};

StreamChoice chooseStreams(const AVFormatContext *format) {
  StreamChoice choice;
  qint64 largestArea = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream *stream = format->streams[i];
    const AVCodecParameters *parameters = stream->codecpar;
    if (!avcodec_find_decoder(parameters->codec_id)) continue;
    if (parameters->codec_type == AVMEDIA_TYPE_AUDIO) {
      choice.playable = true;
    } else if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
      if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) {
        if (choice.cover < 0 && stream->attached_pic.size > 0) choice.cover = int(i);
        continue;
      }
      choice.playable = true;
      const qint64 area = qint64(parameters->width) * parameters->height;
      if (area > largestArea) {
        largestArea = area;
        choice.video = int(i);
      }
    }
  }
  return choice;
}

// The container's duration in its own unit; zero when it records none (a
// stream written live, such as a browser recording).
ZTime containerDuration(const AVFormatContext *format) {
  if (format->duration == AV_NOPTS_VALUE || format->duration <= 0) return ZTime{0, AV_TIME_BASE};
  return ZTime{format->duration, AV_TIME_BASE};
}

CodecPtr openDecoder(const AVStream *stream) {
  const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return CodecPtr();
  CodecPtr decoder(avcodec_alloc_context3(codec));
  if (!decoder) return CodecPtr();
  if (avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) return CodecPtr();
  decoder->pkt_timebase = stream->time_base;
  decoder->thread_count = 1;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return CodecPtr();
  return decoder;
}

// The first frame of the stream at or after `at` (movie time, counted from the
// container's start); the last frame decoded when the stream ends or the read
// budget runs out before that time. Null when nothing could be decoded.
FramePtr decodeFrameAt(AVFormatContext *format, int streamIndex, ZTime at) {
  AVStream *stream = format->streams[streamIndex];
  CodecPtr decoder = openDecoder(stream);
  if (!decoder) return FramePtr();

  const qint64 start = format->start_time == AV_NOPTS_VALUE ? 0 : format->start_time;
  const qint64 targetMicroseconds = start + at.rescaled(AV_TIME_BASE).value;
  const qint64 target = av_rescale_q(targetMicroseconds, AV_TIME_BASE_Q, stream->time_base);
  if (at.value > 0 && av_seek_frame(format, streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0) {
    avformat_seek_file(format, -1, INT64_MIN, targetMicroseconds, targetMicroseconds, 0);
  }

  FramePtr frame(av_frame_alloc());
  FramePtr kept(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!frame || !kept || !packet) return FramePtr();
  bool haveFrame = false;
  // Takes every frame the decoder has ready; true once one reaches the target.
  auto drain = [&]() {
    while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
      av_frame_unref(kept.get());
      av_frame_move_ref(kept.get(), frame.get());
      haveFrame = true;
      const qint64 time = kept->best_effort_timestamp;
      if (time == AV_NOPTS_VALUE || time >= target) return true;
    }
    return false;
  };

  bool reached = false;
  qint64 bytesLeft = kPosterReadBudgetBytes;
  int packetsLeft = kPosterReadBudgetPackets;
  while (!reached && bytesLeft > 0 && packetsLeft-- > 0) {
    if (av_read_frame(format, packet.get()) < 0) break;
    bytesLeft -= packet->size;
    if (packet->stream_index == streamIndex) {
      // A damaged packet is skipped; the decoder goes on with the next one.
      avcodec_send_packet(decoder.get(), packet.get());
      reached = drain();
    }
    av_packet_unref(packet.get());
  }
  if (!reached) {
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
  }
  if (!haveFrame) return FramePtr();
  return kept;
}

// The cover art of a sound file, decoded from the picture the container holds.
FramePtr decodeAttachedPicture(const AVStream *stream) {
  CodecPtr decoder = openDecoder(stream);
  FramePtr frame(av_frame_alloc());
  if (!decoder || !frame) return FramePtr();
  avcodec_send_packet(decoder.get(), &stream->attached_pic);
  avcodec_send_packet(decoder.get(), nullptr);
  if (avcodec_receive_frame(decoder.get(), frame.get()) < 0) return FramePtr();
  return frame;
}

// The rotation, in degrees clockwise, a player applies to the stream's frames.
int displayRotation(const AVStream *stream) {
  const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  if (!matrix) return 0;
  const double counterClockwise =
      av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix));
  if (std::isnan(counterClockwise)) return 0;
  int clockwise = int(std::lround(-counterClockwise)) % 360;
  if (clockwise < 0) clockwise += 360;
  return clockwise;
}

// The frame as it is shown: RGB, stretched to square pixels by the sample
// aspect ratio, and turned by the stream's rotation.
QImage frameImage(AVFormatContext *format, AVStream *stream, AVFrame *frame) {
  if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) return QImage();
  int width = frame->width;
  const AVRational aspect = av_guess_sample_aspect_ratio(format, stream, frame);
  if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den) {
    const qint64 shown = av_rescale(frame->width, aspect.num, aspect.den);
    if (shown > 0 && shown <= 16384) width = int(shown);
  }
  ScalerPtr scaler(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), width,
                                  frame->height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr,
                                  nullptr));
  if (!scaler) return QImage();
  // Follow the frame's own colour matrix and range where it states them.
  int *inverseTable = nullptr, *table = nullptr;
  int sourceRange = 0, destinationRange = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(scaler.get(), &inverseTable, &sourceRange, &table, &destinationRange,
                               &brightness, &contrast, &saturation) >= 0) {
    const int *coefficients = inverseTable;
    if (frame->colorspace != AVCOL_SPC_UNSPECIFIED && frame->colorspace != AVCOL_SPC_RGB)
      coefficients = sws_getCoefficients(frame->colorspace);
    if (frame->color_range == AVCOL_RANGE_JPEG) sourceRange = 1;
    if (frame->color_range == AVCOL_RANGE_MPEG) sourceRange = 0;
    sws_setColorspaceDetails(scaler.get(), coefficients, sourceRange, table, destinationRange,
                             brightness, contrast, saturation);
  }
  // The scaler's vector code writes whole blocks, past the end of a row and of
  // the last one: it gets a padded buffer of its own, copied out afterwards.
  const int stride = FFALIGN(width * 3, 64);
  std::vector<uint8_t> pixels(size_t(stride) * size_t(frame->height + 1) + 64);
  uint8_t *const destination[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const int destinationStride[4] = {stride, 0, 0, 0};
  if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, destination,
                destinationStride) <= 0)
    return QImage();
  QImage image = QImage(pixels.data(), width, frame->height, stride, QImage::Format_RGB888).copy();
  if (image.isNull()) return QImage();

  const int rotation = displayRotation(stream);
  if (rotation == 90 || rotation == 180 || rotation == 270)
    image = image.transformed(QTransform().rotate(rotation));
  return image;
}

QImage posterImage(AVFormatContext *format, const StreamChoice &streams, ZTime posterTime) {
  if (streams.video >= 0) {
    AVStream *stream = format->streams[streams.video];
    FramePtr frame = decodeFrameAt(format, streams.video, posterTime);
    if (frame) return frameImage(format, stream, frame.get());
  } else if (streams.cover >= 0) {
    AVStream *stream = format->streams[streams.cover];
    FramePtr frame = decodeAttachedPicture(stream);
    if (frame) return frameImage(format, stream, frame.get());
  }
  return QImage();
}

// Writes the picture as a JPEG under a new name in the media images folder,
// all at once (a temporary file renamed into place). The path, or an empty
// string when it could not be written.
QString writeThumbnail(const QImage &image) {
  const QString folder = ZFolderManager::sharedFolderManager().userMediaFileImagesFolderPath();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
  const QString path = QDir(folder).filePath(Utilities::getUUID() + QStringLiteral(".jpg"));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return QString();
  QImageWriter writer(&file, "jpeg");
  if (!writer.write(image)) {
    file.cancelWriting();
    return QString();
  }
  if (!file.commit()) return QString();
  return path;
}

// The extension of the last path component: the text after its last ".",
// empty when there is none or the name only starts with one (".profile").
QString pathExtension(const QString &path) {
  QString name = path;
  while (name.size() > 1 && name.endsWith(QLatin1Char('/'))) name.chop(1);
  name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot <= 0) return QString();
  return name.mid(dot + 1);
}

// An image already made for the movie: the given image path, or without one
// the movie's own name with the extension "jpg".
QString existingThumbnail(const QString &absoluteMoviePath, const QString &imagePath) {
  QString candidate;
  if (!imagePath.isEmpty()) {
    candidate = imagePath;
  } else {
    const QString extension = pathExtension(absoluteMoviePath);
    candidate = extension.isEmpty()
                    ? absoluteMoviePath + QStringLiteral(".jpg")
                    : absoluteMoviePath.left(absoluteMoviePath.size() - extension.size()) +
                          QStringLiteral("jpg");
  }
  const QFileInfo info(candidate);
  if (!info.isFile()) return QString();
  return info.absoluteFilePath();
}

}  // namespace

namespace Utilities {

QVariantMap getQuicktimeAttributes(const QString &moviePath, const QString &imagePath) {
  if (moviePath.isEmpty()) return QVariantMap();
  // Only regular files: a folder is no movie, and a pipe or device could
  // keep the reader waiting or reading forever.
  const QFileInfo movieInfo(moviePath);
  if (!movieInfo.isFile()) return QVariantMap();
  const QString absolutePath = movieInfo.absoluteFilePath();

  FormatPtr format = openMovie(absolutePath);
  if (!format) return QVariantMap();
  const StreamChoice streams = chooseStreams(format.get());
  if (!streams.playable) return QVariantMap();

  const ZTime duration = containerDuration(format.get());
  QString thumbnail = existingThumbnail(absolutePath, imagePath);
  if (thumbnail.isEmpty()) {
    const QImage poster = posterImage(format.get(), streams, duration.half());
    if (!poster.isNull()) thumbnail = writeThumbnail(poster);
  }

  QVariantMap attributes;
  attributes.insert(QStringLiteral("Duration"),
                    QVariant::fromValue(quint64(duration.wholeSeconds())));
  attributes.insert(QStringLiteral("ImageFile"), thumbnail);
  attributes.insert(QStringLiteral("Extension"), pathExtension(absolutePath));
  return attributes;
}

bool canPlayMovie(const QString &moviePath) {
  const QFileInfo movieInfo(moviePath);
  if (moviePath.isEmpty() || !movieInfo.isFile()) return false;
  FormatPtr format = openMovie(movieInfo.absoluteFilePath());
  return format && chooseStreams(format.get()).playable;
}

QStringList movieFileTypes() {
  static const QStringList types = [] {
    QSet<QString> extensions;
    for (const char *common : {"mp4", "m4v", "mov", "avi", "mkv", "webm", "flv", "wmv", "mpg",
                               "mpeg", "3gp", "ogv", "ts"})
      extensions.insert(QString::fromLatin1(common));
    void *iterator = nullptr;
    while (const AVInputFormat *demuxer = av_demuxer_iterate(&iterator)) {
      if (!demuxer->extensions || isNotAMovieDemuxer(demuxer->name)) continue;
      const QStringList claimed =
          QString::fromLatin1(demuxer->extensions).split(QLatin1Char(','), Qt::SkipEmptyParts);
      for (const QString &extension : claimed) {
        const QString clean = extension.trimmed().toLower();
        if (!clean.isEmpty()) extensions.insert(clean);
      }
    }
    QStringList sorted(extensions.begin(), extensions.end());
    sorted.sort();
    return sorted;
  }();
  return types;
}

}  // namespace Utilities
