#pragma once

#include <QLoggingCategory>

// Messages of the playback engine ("zaro.playback"): why a movie could not
// be opened, what mpv warned about. Warnings show by default; mpv's lesser
// messages with QT_LOGGING_RULES="zaro.playback.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
