#include "SkinBuilder.h"

#include "ImageFiles.h"
#include "ZSkinFileNames.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QXmlStreamWriter>

#include <cmath>

QString SkinBuilder::picture(const QString &file, const QSizeF &size, Paint paint) {
  for (const Picture &known : fPictures)
    if (known.file == file) return file;
  fPictures.append({file, size, std::move(paint)});
  return file;
}

QString SkinBuilder::sprite(const QString &file, const QSizeF &cell, int states,
                            const std::function<void(QPainter &, const QRectF &, int)> &paint) {
  return picture(file, QSizeF(cell.width() * states, cell.height()),
                 [cell, states, paint](QPainter &painter, const QSizeF &) {
                   for (int k = 0; k < states; ++k) {
                     painter.save();
                     const QRectF box(k * cell.width(), 0, cell.width(), cell.height());
                     painter.setClipRect(box);
                     paint(painter, box, k);
                     painter.restore();
                   }
                 });
}

SkinElement SkinBuilder::control(const QString &name, const Place &place, int states,
                                 const QString &image) {
  return SkinElement(name, {{QStringLiteral("Zone"), QString::number(place.zone)},
                            {QStringLiteral("XPos"), QString::number(place.x)},
                            {QStringLiteral("YPos"), QString::number(place.y)},
                            {QStringLiteral("Justify"), QString::fromLatin1(place.justify)},
                            {QStringLiteral("states"), QString::number(states)},
                            {QStringLiteral("Image"), image}});
}

SkinElement SkinBuilder::framePiece(const QString &name, const QString &image) {
  return SkinElement(name, {{QStringLiteral("Image"), image}});
}

QSizeF SkinBuilder::sizeOf(const QString &file) const {
  for (const Picture &known : fPictures)
    if (known.file == file) return known.size;
  return QSizeF();
}

namespace {

void writeElement(QXmlStreamWriter &xml, const SkinElement &element) {
  if (element.children.isEmpty()) {
    xml.writeTextElement(element.name, element.text);
    return;
  }
  xml.writeStartElement(element.name);
  for (const SkinElement &child : element.children) writeElement(xml, child);
  xml.writeEndElement();
}

QImage render(const QSizeF &size, const SkinBuilder::Paint &paint, int scale) {
  QImage image(QSize(int(std::lround(size.width() * scale)), int(std::lround(size.height() * scale))),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(scale, scale);
  paint(painter, size);
  return image;
}

}  // namespace

QByteArray SkinBuilder::definition() const {
  QByteArray text;
  QXmlStreamWriter xml(&text);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(2);
  xml.writeStartDocument();
  xml.writeComment(QStringLiteral(
      " The default skin of Zaro Player, written by zaro-skin-painter together with its "
      "pictures: change the painter, not this file. Sizes and positions are in display "
      "units, colours RRGGBB. "));
  xml.writeStartElement(QStringLiteral("Skin"));
  for (const SkinElement &element : fElements) writeElement(xml, element);
  xml.writeEndElement();
  xml.writeEndDocument();
  return text;
}

bool SkinBuilder::write(const QString &folder, QString *error) const {
  QDir dir(folder);
  // The folder holds this skin and nothing left over from an earlier one.
  if (dir.exists() && !dir.removeRecursively()) {
    *error = QStringLiteral("cannot empty %1").arg(folder);
    return false;
  }
  if (!QDir().mkpath(folder)) {
    *error = QStringLiteral("cannot make %1").arg(folder);
    return false;
  }
  for (const Picture &picture : fPictures) {
    if (!writeImageFile(render(picture.size, picture.paint, 1), dir.filePath(picture.file), error))
      return false;
    if (!writeImageFile(render(picture.size, picture.paint, 2),
                        dir.filePath(hiDpiTwinName(picture.file)), error))
      return false;
  }
  QFile file(dir.filePath(QStringLiteral("Skin.xml")));
  if (!file.open(QIODevice::WriteOnly) || file.write(definition()) < 0) {
    *error = QStringLiteral("cannot write %1").arg(file.fileName());
    return false;
  }
  return true;
}
