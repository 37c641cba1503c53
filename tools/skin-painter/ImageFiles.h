#pragma once

#include <QImage>
#include <QString>

// Writes a painted image in the format its file name asks for: ".png" as
// PNG with alpha, ".jpg"/".jpeg" as JPEG without chroma subsampling (the
// image is flattened onto white first), ".gif" as GIF with a palette of the
// image's own colours and one transparent entry. Answers false with a reason.
bool writeImageFile(const QImage &image, const QString &path, QString *error);
