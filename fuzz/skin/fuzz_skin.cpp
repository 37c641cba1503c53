// libFuzzer target for the skin reader: the input is a skin folder's
// "Skin.xml", read by ZSkin in a folder that holds two images, a subfolder, a
// link to an image outside it and a link to a folder outside it, "@2x" twins
// (one fitting, one of the wrong size, one planted as a link out), once for a
// screen of ratio 1 and once for ratio 2. Every accessor is then read, with
// checks of what a skin may hold: no image from outside its folder, no twin
// laid out at another size than its picture, no number that is not finite or
// beyond its bounds. Any crash, sanitizer report or failed check (abort) is a
// finding.
//
//   fuzz_skin fuzz/corpus/fuzz_skin -dict=fuzz/skin/skin.dict -max_total_time=300
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "ZSkin.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The image outside the skin folder (and its twin) have sizes no image inside has.
constexpr QSize kOutsideSize(7, 3);
constexpr QSize kOutsideTwinSize(14, 6);

struct Fixture {
  QTemporaryDir root;
  QString skin = root.path() + QStringLiteral("/skin");
  QString definition = skin + QStringLiteral("/Skin.xml");

  Fixture() {
    const QString outside = root.path() + QStringLiteral("/outside");
    QDir().mkpath(skin + QStringLiteral("/sub"));
    QDir().mkpath(outside);
    QImage inside(12, 6, QImage::Format_RGB32);
    inside.fill(Qt::blue);
    check(inside.save(skin + QStringLiteral("/play.png"), "PNG"));
    check(inside.save(skin + QStringLiteral("/sub/inner.png"), "PNG"));
    QImage secret(kOutsideSize, QImage::Format_RGB32);
    secret.fill(Qt::red);
    check(secret.save(outside + QStringLiteral("/secret.png"), "PNG"));
    QFile::link(outside + QStringLiteral("/secret.png"), skin + QStringLiteral("/link.png"));
    QFile::link(outside, skin + QStringLiteral("/linked"));
    // A file the skin reads under a fixed name, planted as a link out.
    QFile::link(outside + QStringLiteral("/secret.png"), skin + QStringLiteral("/Star.PNG"));
    // Twins: one of twice the size, one of another size, one linked out of
    // the folder beside a picture inside it.
    QImage twin(24, 12, QImage::Format_RGB32);
    twin.fill(Qt::green);
    check(twin.save(skin + QStringLiteral("/play@2x.png"), "PNG"));
    check(twin.copy(0, 0, 20, 12).save(skin + QStringLiteral("/sub/inner@2x.png"), "PNG"));
    QImage secretTwin(kOutsideTwinSize, QImage::Format_RGB32);
    secretTwin.fill(Qt::red);
    check(secretTwin.save(outside + QStringLiteral("/secret@2x.png"), "PNG"));
    check(inside.save(skin + QStringLiteral("/VideoNew.png"), "PNG"));
    QFile::link(outside + QStringLiteral("/secret@2x.png"), skin + QStringLiteral("/VideoNew@2x.png"));
  }
};

bool finiteWithin(double value, double low, double high) {
  return std::isfinite(value) && value >= low && value <= high;
}

void checkImage(const QImage &image) {
  check(image.isNull() || (image.size() != kOutsideSize && image.size() != kOutsideTwinSize));
  // A twin is laid out at its picture's size: twice the pixels at ratio 2.
  check(image.isNull() || image.devicePixelRatio() == 1 ||
        (image.devicePixelRatio() == 2 && image.width() % 2 == 0 && image.height() % 2 == 0));
}

void checkInfo(const QVariantMap &info) {
  for (auto it = info.cbegin(); it != info.cend(); ++it) {
    const QVariant &value = it.value();
    if (value.typeId() == QMetaType::QImage) checkImage(value.value<QImage>());
    if (value.typeId() == QMetaType::Int) check(finiteWithin(value.toInt(), -10000, 10000));
    if (value.typeId() == QMetaType::QVariantMap) checkInfo(value.toMap());
  }
}

void checkRect(const QRectF &rect) {
  check(finiteWithin(rect.x(), -10000, 10000) && finiteWithin(rect.y(), -10000, 10000));
  check(finiteWithin(rect.width(), 0, 10000) && finiteWithin(rect.height(), 0, 10000));
}

void read(const ZSkin &skin) {
#define X(name) \
  if (const auto info = skin.name()) checkInfo(*info);
  ZSKIN_INFOS(X)
#undef X
#define X(name) checkImage(skin.name());
  ZSKIN_IMAGES(X)
#undef X
#define X(name, file) checkImage(skin.name());
  ZSKIN_LAZY_IMAGES(X)
#undef X
#define X(name) check(finiteWithin(skin.name(), 0, 10000));
  ZSKIN_NUMBERS(X)
#undef X
#define X(name) checkRect(skin.name());
  ZSKIN_RECTS(X)
#undef X
#define X(name) checkRect(QRectF(skin.name(), QSizeF(0, 0)));
  ZSKIN_POINTS(X)
#undef X
#define X(name) \
  if (const auto style = skin.name()) check(finiteWithin(style->font.pointSizeF(), 0, 10000));
  ZSKIN_TEXT_ATTRIBUTES(X)
#undef X
  for (const char *key : {"HeaderHeight", "HeaderFontSize", "ImageBorderSize", "TitleFontSize"}) {
    const QVariant value = skin.libraryRenderingInfoForKey(QLatin1String(key));
    check(!value.isValid() || finiteWithin(value.toDouble(), 0, 10000));
  }
  for (const char *name : {"play.png", "link.png", "linked/secret.png", "../outside/secret.png"})
    checkImage(skin.loadImage(QLatin1String(name)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);  // fonts need it
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static Fixture fixture;
  QFile file(fixture.definition);
  check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(reinterpret_cast<const char *>(data), qint64(size));
  file.close();
  for (const double ratio : {1.0, 2.0}) {
    const ZSkin skin(fixture.skin, ratio);
    read(skin);
  }
  return 0;
}
