#pragma once

#include <QLoggingCategory>

// Messages of the playback engine ("zaro.playback"): why a movie could not
// be opened, what mpv warned about. Warnings show by default; mpv's own
// information with QT_LOGGING_RULES="zaro.playback.info=true", and its
// verbose messages with "zaro.playback.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
