#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;

// One element of the skin definition: a name, a text or child elements.
struct SkinElement {
  QString name;
  QString text;
  QList<SkinElement> children;

  SkinElement(QString elementName, QString elementText = {})
      : name(std::move(elementName)), text(std::move(elementText)) {}
  SkinElement(QString elementName, QList<SkinElement> elementChildren)
      : name(std::move(elementName)), children(std::move(elementChildren)) {}
};

// Where a control sits: the placement rule's zone, offsets and justification.
struct Place {
  int zone;
  int x;
  int y;
  const char *justify = "left";
};

// Collects the pictures of a skin (each painted in display units at any
// scale) and its definition, and writes both into a folder: every picture
// at 1x and as its "@2x" twin, and "Skin.xml".
class SkinBuilder {
 public:
  using Paint = std::function<void(QPainter &, const QSizeF &)>;

  // A picture of the given display size; answers its file name. A name is
  // painted once: adding it again keeps the first painting.
  QString picture(const QString &file, const QSizeF &size, Paint paint);
  // A picture of `states` cells of the given size side by side; cell k is
  // painted by paint(painter, cell rectangle, k).
  QString sprite(const QString &file, const QSizeF &cell, int states,
                 const std::function<void(QPainter &, const QRectF &, int)> &paint);

  // Top-level elements, in the order they are added.
  void add(SkinElement element) { fElements.append(std::move(element)); }
  // A control description with its place, its number of states and picture.
  static SkinElement control(const QString &name, const Place &place, int states,
                             const QString &image);
  // An element holding only an Image child.
  static SkinElement framePiece(const QString &name, const QString &image);

  // The display size of a picture added before.
  QSizeF sizeOf(const QString &file) const;

  // Writes the pictures and the definition; answers false with a reason.
  bool write(const QString &folder, QString *error) const;
  // The definition's text.
  QByteArray definition() const;

 private:
  struct Picture {
    QString file;
    QSizeF size;
    Paint paint;
  };
  QList<Picture> fPictures;
  QList<SkinElement> fElements;
};
