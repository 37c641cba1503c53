#pragma once

#include "VideoMetaInfo.h"
#include "ZDownloadEnvironment.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QVariant>

#include <limits>
#include <optional>

class QNetworkReply;
class QTimer;

// Job states, as stored in the Jobs table's JobState column.
enum JobState {
  JobStateNone = -1,
  JobStatePendingMetaInfo = 0,
  JobStateRetrievingMetaInfo = 1,
  JobStateWaitingForDiskSpace = 2,
  JobStatePendingImage = 3,
  JobStateRetrievingImage = 4,
  JobStatePendingVideo = 5,
  JobStateDownloadingVideo = 6,
  JobStateInterrupted = 7,
  JobStateFailed = 8,
  JobStateCompleted = 9,
};

// The Jobs table's JobType of a video download.
inline constexpr int JobTypeVideoDownload = 0;

// Why a video is downloaded.
enum DownloadType {
  DownloadTypeDirect = 0,    // asked for by the user (a link, the web view)
  DownloadTypeFeedItem = 1,  // a new item of a subscribed feed
};

// What a job keeps across restarts ("MetaInfo", "ImageFilePath",
// "VideoFilePath", "VideoBadHTTPCodeNotification"; besides them "FeedItemId",
// the library id of the feed item a feed download was made for, and
// "FailureReason", why its last step failed), stored as property-list text.
using JobParams = QHash<QString, QString>;

// Why the last step of a download failed. Most failures are tried again by
// a later scan of the queue; two are final, since no retry could end
// otherwise: the download then stays failed until the user removes it.
enum class DownloadFailure {
  None,
  Server,               // an error answer, a broken connection, a bad document
  VideoUnknown,         // the service does not know the video (404 or 410 on its meta
                        // information); final
  DiskFull,             // the disk holding the media folder is full
  LongerThanAnnounced,  // an answer without a length ran past the video's announced
                        // size; final
  Library,              // the finished video could not be added to the library
};

// The notifications of a download; each carries the item (ZDownloadItem*) as
// its object.
namespace DownloadNotification {
inline const QString MetaInfoDownloadingCommenced =
    QStringLiteral("VideoDownloadMetaInfoDownloadingCommenced");
inline const QString GotMetaInfo = QStringLiteral("VideoDownloadGotMetaInfo");
inline const QString ImageDownloadingCommenced =
    QStringLiteral("VideoDownloadImageDownloadingCommenced");
inline const QString GotImage = QStringLiteral("VideoDownloadGotImage");
inline const QString Commenced = QStringLiteral("VideoDownloadCommenced");
inline const QString Resumed = QStringLiteral("VideoDownloadResumed");
inline const QString StatusChanged = QStringLiteral("VideoDownloadStatusChanged");
inline const QString ProgressUpdated = QStringLiteral("VideoDownloadProgressUpdated");
inline const QString FinishedAddToDatabase = QStringLiteral("VideoDownloadFinishedAddToDatabase");
inline const QString Finished = QStringLiteral("VideoDownloadFinished");
inline const QString ServerRequestFailed = QStringLiteral("VideoDownloadServerRequestFailed");
inline const QString Canceled = QStringLiteral("VideoDownloadCanceled");
// Posted by the queue.
inline const QString ListChanged = QStringLiteral("VideoDownloadListChanged");
inline const QString InsufficientDiskSpace = QStringLiteral("VideoDownloadInsufficientDiskSpace");
inline const QString BadHTTPResponse = QStringLiteral("VideoDownloadBadHTTPResponse");
}  // namespace DownloadNotification

// One video on its way from the service to the media folder: the meta
// information, the thumbnail, the video file (fresh, or resumed with a byte
// range) and the completion report, each an asynchronous request. The queue
// (ZDownloadDataSource) owns the items, starts their steps and keeps their job
// states; an item reports every event by a notification whose object is the
// item itself.
//
// Video data goes straight to the file, one append per delivery. A failed
// transfer keeps its partial file for the next resume; only a cancel removes it.
// A transfer never makes its file longer than the answer's announced length
// (the meta information's size when the answer announces none) or the
// allowed disk space left: the bytes beyond are not written and the transfer
// fails. A thumbnail is written whole or not at all.
class ZDownloadItem : public QObject {
  Q_OBJECT

 public:
  // The largest meta information or thumbnail answer that is accepted.
  static constexpr qint64 kMaxBodyBytes = 16 * 1024 * 1024;

  // A new download: no job (-1), no job state (-1), no library video (-1).
  ZDownloadItem(const QString &permalink, int type, const ZDownloadEnvironment &environment);
  // A download restored from its Jobs row: the JobParams text gives back the
  // meta information, the thumbnail's and the video file's paths, the last
  // failure, and, with a feed item's id, the type DownloadTypeFeedItem. A
  // text that does not read counts as empty; a stored meta information that
  // no longer reads leaves the meta information unset.
  ZDownloadItem(const QString &permalink, int type, int jobId, int jobState, const QString &xml,
                const ZDownloadEnvironment &environment);
  ~ZDownloadItem() override;

  // The steps; each answers whether its request was started, and starts
  // only from its own job state (pending meta information, pending image,
  // pending video).
  bool startDownloadingVideoMetaInfo();
  bool startDownloadingImage();
  // The video transfer from the start, into a new file. A job that has begun
  // its file already (its thumbnail was fetched again) continues that file,
  // as resumeDownloadVideoFile() does, and posts "VideoDownloadResumed".
  bool startDownloadingVideoFile();
  // Continues the video file from the length of the partial file (from byte
  // 0, and with a new empty file, when the partial file is gone).
  void resumeDownloadVideoFile();
  // Stops whatever runs, removes the unfinished video file, posts
  // "VideoDownloadCanceled".
  void cancelDownload();

  // ---- Accessors -------------------------------------------------------------

  QString permalink() const { return fVideoPermalink; }
  void setChannelPermalink(const QString &channelPermalink) {
    fChannelPermalink = channelPermalink;
  }
  QString channelPermalink() const { return fChannelPermalink; }
  void setRepresentedObject(const QVariant &object) { fRepresentedObject = object; }
  QVariant representedObject() const { return fRepresentedObject; }
  int type() const { return fType; }

  int jobId() const { return fJobId; }
  void setJobId(int jobId) { fJobId = jobId; }
  int jobState() const { return fJobState; }
  void setJobState(int jobState) { fJobState = jobState; }
  int videoId() const { return fVideoId; }
  void setVideoId(int videoId) { fVideoId = videoId; }

  const std::optional<VideoMetaInfo> &metaInfo() const { return fVideoMetaInfo; }
  QString metaInfoXml() const { return fVideoMetaInfoXml; }
  // The JobParams as the Jobs row keeps them (property-list text; empty when
  // there are none).
  QString additionalInfo() const;
  const JobParams &jobParams() const { return fAdditionalInfo; }

  // "Title", "Extension", "Description", "FileHash", "ReviewState" of the
  // meta information; empty when absent.
  QString title() const;
  QString extension() const;
  QString description() const;
  QString fileHash() const;
  QString reviewState() const;
  // "Duration" (seconds), "Rating", "ContentRating" as integers; 0 when absent.
  int duration() const;
  int rating() const;
  int contentRating() const;
  // "Size" as a signed 64-bit count; 0 when absent or not a number.
  qint64 fileSize() const;
  // "Publisher", "Channel", "Series" (maps) and "Tags", "Categories" (lists
  // of maps); nothing when the answer had none.
  std::optional<QVariantMap> publisherInfo() const;
  std::optional<QVariantMap> channelInfo() const;
  std::optional<QVariantList> tags() const;
  std::optional<QVariantList> categories() const;
  std::optional<QVariantMap> series() const;

  // The thumbnail; a null image when there is none.
  QImage image() const;
  QString imageFilePath() const { return fImageFilePath; }
  bool imageFileSaved() const { return fImageFileSaved; }
  // The meta information is there but the thumbnail file is not (never
  // saved, or gone since): the thumbnail is to be fetched again.
  bool thumbnailMissing() const;
  // The video file once it is complete, else a null text.
  QString downloadedPath() const;
  // The video file's path, complete or not (null before the first transfer).
  QString downloadDestinationPath() const { return fDownloadDestinationPath; }

  quint64 fileSizeDownloaded() const { return fFileSizeDownloaded; }
  bool downloadCommenced() const { return fDownloadCommenced; }
  bool downloadComplete() const { return fDownloadComplete; }
  float percentDownloaded() const { return float(fCurrentDownloadPercent); }
  double byteRate() const { return fByteRate; }
  double secondsRemainingForDownloadToComplete() const { return fSecondsRemainingForDownload; }
  int httpStatusCode() const { return fHTTPStatusCode; }
  qint64 expectedVideoLength() const { return fExpectedVideoLength; }
  qint64 currentDownloadedBytes() const { return fCurrentDownloadedBytes; }

  // The queue has reported this job's first failed transfer.
  bool notificationPostedOfBadStatusCodeForDownloadingVideo() const;
  void setNotificationPostedOfBadStatusCodeForDownloadingVideo();

  // Why the last step failed; none once a step has started again.
  DownloadFailure lastFailure() const { return fLastFailure; }
  // The last failure is final: no step is to be tried again.
  bool failedForGood() const;

  // The library id of the feed item a feed download was made for (kept with
  // the job, so that a download restored after a restart still knows it); 0
  // when none. A job restored with one is a feed-item download.
  int feedItemId() const;
  void setFeedItemId(int feedItemId);

  // Called by the observer of "VideoDownloadFinishedAddToDatabase" when it
  // could not add the finished video to the library: instead of finishing,
  // the download then fails (its complete file kept for the next try) and
  // "VideoDownloadFinished" is not posted. The completion report is sent only
  // for a video the library took, so once per video however often its
  // transfer ends.
  void setLibraryAddFailed() { fLibraryAddFailed = true; }

  // One run of the progress timer: byte rate and time remaining of the
  // current transfer, then "VideoDownloadProgressUpdated".
  void updateTimeRemaining();

 private:
  enum class Exchange { None, MetaInfo, Image, Video, Report };

  QString stringValue(const QString &key) const;
  int intValue(const QString &key) const;
  std::optional<QVariantMap> mapValue(const QString &key) const;
  std::optional<QVariantList> listValue(const QString &key) const;

  QString videoURL() const;
  QString identityQuery() const;
  // Starts the video request from the offset (with "Range" above 0).
  QNetworkReply *startTransferRequest(quint64 offset);
  void startProgressTimer();
  void stopProgressTimer();

  void watch(QNetworkReply *reply);
  Exchange exchangeOf(const QNetworkReply *reply) const;
  void releaseConnection(QNetworkReply *&connection);

  void connectionDidReceiveResponse(QNetworkReply *reply);
  void connectionDidReceiveData(QNetworkReply *reply);
  void connectionDidFinish(QNetworkReply *reply);

  bool acceptVideoResponse(QNetworkReply *reply, int status);
  // The length the video file may reach with the accepted answer; sets
  // fTransferLimitIsAnnouncedSize.
  quint64 transferLimit();
  // Begins or continues the video transfer from the length of the file at
  // fDownloadDestinationPath; false when no request could be made.
  bool continueVideoFile();
  // Empties the video file (its bytes counted off the media folder).
  bool emptyVideoFile();
  void restartVideoFromStart();
  void writeVideoBlock(const QByteArray &data);
  void finishMetaInfo();
  void finishImage();
  void finishVideo();
  void sendCompletionReport();

  // Stops the running exchange and the progress timer; a cancel also removes
  // the unfinished video file.
  void cleanUp(bool removeUnfinishedVideoFile);
  // Writes why to the log, keeps the reason, cleans up, then posts
  // "VideoDownloadServerRequestFailed".
  void failRequest(const QString &why, DownloadFailure reason = DownloadFailure::Server);
  void clearFailure();
  void post(const QString &name);

  ZDownloadEnvironment fEnvironment;

  int fJobId = -1;
  int fJobState = JobStateNone;
  QString fVideoPermalink;
  QString fChannelPermalink;
  int fVideoId = -1;
  std::optional<VideoMetaInfo> fVideoMetaInfo;
  QString fVideoMetaInfoXml;
  JobParams fAdditionalInfo;
  int fType = DownloadTypeDirect;
  QVariant fRepresentedObject;
  QString fImageFilePath;
  bool fImageFileSaved = false;
  QString fDownloadDestinationPath;
  QByteArray fCurrentConnectionData;
  QNetworkReply *fMetaInfoRetrievingConnection = nullptr;
  QNetworkReply *fImageRetrievingConnection = nullptr;
  QNetworkReply *fVideoRetrievingConnection = nullptr;
  QNetworkReply *fVideoDownloadSuccessNotificationConnection = nullptr;
  int fHTTPStatusCode = 0;
  bool fDownloadCommenced = false;
  qint64 fExpectedVideoLength = -1;
  qint64 fDownloadedLengthForPartialDownload = 0;
  QTimer *fTimeRemainingCalculationTimer = nullptr;
  QElapsedTimer fDownloadStartTime;
  double fSecondsRemainingForDownload = 0;
  double fByteRate = 0;
  double fCurrentDownloadPercent = 0;
  qint64 fCurrentDownloadedBytes = 0;
  quint64 fFileSizeDownloaded = 0;
  bool fDownloadComplete = false;

  // The offset the running video request asked for, and whether its answer
  // has been judged yet.
  quint64 fRequestedOffset = 0;
  bool fVideoResponseSeen = false;
  // The length the video file may reach during the running transfer: the
  // meta information's size, the answer's announced end, and the allowed
  // disk space left, whichever is least. Passing it fails the transfer.
  quint64 fTransferLimit = std::numeric_limits<quint64>::max();
  // That limit is the meta information's size (the answer announced no length).
  bool fTransferLimitIsAnnouncedSize = false;
  DownloadFailure fLastFailure = DownloadFailure::None;
  bool fLibraryAddFailed = false;
};
