#pragma once

// Watches an item model as the views do. QAbstractItemModelTester checks every
// change for consistency (its complaints are collected instead of printed),
// and the model's signals are written down as short lines:
//   "insert 2..3", "remove 0..0 in 4" (rows of the children of top row 4),
//   "move 1..2 to 0", "changed 0..5", "layout", "reset".
// Link Qt6::Test to use it.

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QStringList>

#include <memory>

class ModelWatch {
 public:
  explicit ModelWatch(QAbstractItemModel *model) : fModel(model) {
    sCurrent = this;
    fPrevious = qInstallMessageHandler(&ModelWatch::handler);
    fTester = std::make_unique<QAbstractItemModelTester>(
        model, QAbstractItemModelTester::FailureReportingMode::Warning);
    const auto where = [](const QModelIndex &parent) {
      return parent.isValid() ? QStringLiteral(" in %1").arg(parent.row()) : QString();
    };
    using M = QAbstractItemModel;
    QObject::connect(model, &M::rowsInserted, &fContext, [=](const QModelIndex &p, int a, int b) {
      fEvents << QStringLiteral("insert %1..%2").arg(a).arg(b) + where(p);
    });
    QObject::connect(model, &M::rowsRemoved, &fContext, [=](const QModelIndex &p, int a, int b) {
      fEvents << QStringLiteral("remove %1..%2").arg(a).arg(b) + where(p);
    });
    QObject::connect(model, &M::rowsMoved, &fContext,
                     [=](const QModelIndex &p, int a, int b, const QModelIndex &, int to) {
                       fEvents << QStringLiteral("move %1..%2 to %3").arg(a).arg(b).arg(to) +
                                      where(p);
                     });
    QObject::connect(
        model, &M::dataChanged, &fContext, [=](const QModelIndex &a, const QModelIndex &b) {
          fEvents << QStringLiteral("changed %1..%2").arg(a.row()).arg(b.row()) + where(a.parent());
        });
    QObject::connect(model, &M::layoutChanged, &fContext, [=] { fEvents << "layout"; });
    QObject::connect(model, &M::modelReset, &fContext, [=] { fEvents << "reset"; });
  }
  ~ModelWatch() {
    fTester.reset();
    qInstallMessageHandler(fPrevious);
    sCurrent = nullptr;
  }

  // Every signal since the last clear().
  const QStringList &events() const { return fEvents; }
  // The signals that change the rows (dataChanged left out).
  QStringList structural() const {
    QStringList out;
    for (const QString &event : fEvents)
      if (!event.startsWith(QLatin1String("changed"))) out << event;
    return out;
  }
  // What QAbstractItemModelTester found wrong.
  const QStringList &complaints() const { return fComplaints; }
  void clear() { fEvents.clear(); }

 private:
  static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (sCurrent && context.category && QLatin1String(context.category) == "qt.modeltest") {
      if (type != QtDebugMsg && type != QtInfoMsg) sCurrent->fComplaints << message;
      return;
    }
    if (sCurrent && sCurrent->fPrevious) sCurrent->fPrevious(type, context, message);
  }

  static inline ModelWatch *sCurrent = nullptr;
  QAbstractItemModel *fModel;
  QObject fContext;
  std::unique_ptr<QAbstractItemModelTester> fTester;
  QtMessageHandler fPrevious = nullptr;
  QStringList fEvents;
  QStringList fComplaints;
};
