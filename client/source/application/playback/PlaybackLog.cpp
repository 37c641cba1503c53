#include "PlaybackLog.h"

Q_LOGGING_CATEGORY(lcPlayback, "zaro.playback", QtWarningMsg)
