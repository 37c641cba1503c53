#include "ZDownloadAccessibility.h"

#include "ZAccessibility.h"
#include "ZControls.h"
#include "ZDownloadRowsView.h"
#include "ZDownloadTableRowView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QScrollBar>

namespace {

// The rows view is the list; its children are the rows in sight, then its
// scroller (the viewport between them is left out).
class RowsAccessible : public QAccessibleWidget {
 public:
  explicit RowsAccessible(ZDownloadRowsView *rows) : QAccessibleWidget(rows, QAccessible::List) {}

  int childCount() const override { return int(children().size()); }
  QAccessibleInterface *child(int index) const override {
    const QList<QWidget *> all = children();
    return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all.at(index))
                                            : nullptr;
  }
  int indexOfChild(const QAccessibleInterface *child) const override {
    return child ? int(children().indexOf(child->object())) : -1;
  }

 private:
  QList<QWidget *> children() const {
    auto *rows = static_cast<ZDownloadRowsView *>(widget());
    QList<QWidget *> all;
    for (ZDownloadTableRowView *row : rows->visibleRowViews()) all.append(row);
    if (rows->verticalScrollBar()->isVisible()) all.append(rows->verticalScrollBar());
    return all;
  }
};

class RowAccessible : public QAccessibleWidget {
 public:
  explicit RowAccessible(ZDownloadTableRowView *row)
      : QAccessibleWidget(row, QAccessible::ListItem) {}

  QAccessibleInterface *parent() const override {
    for (QObject *up = widget()->parent(); up; up = up->parent())
      if (auto *rows = qobject_cast<ZDownloadRowsView *>(up))
        return QAccessible::queryAccessibleInterface(rows);
    return QAccessibleWidget::parent();
  }

  QAccessible::State state() const override {
    QAccessible::State st = QAccessibleWidget::state();
    auto *row = static_cast<ZDownloadTableRowView *>(widget());
    st.selectable = true;
    st.selected = row->isCurrent();
    return st;
  }
};

class RowButtonAccessible : public QAccessibleWidget {
 public:
  RowButtonAccessible(ZButtonImageView *button, ZDownloadTableRowView *row)
      : QAccessibleWidget(button, QAccessible::Button), fRow(row) {}

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString &actionName) override {
    if (actionName == pressAction()) fRow->pressStopButton();
  }

 private:
  ZDownloadTableRowView *fRow;
};

ZARO_ACCESSIBLE_FACTORY
QAccessibleInterface *factory(const QString &className, QObject *object) {
  if (!object || !object->isWidgetType()) return nullptr;
  if (className == QLatin1String("ZDownloadTableRowView"))
    return new RowAccessible(static_cast<ZDownloadTableRowView *>(object));
  if (className == QLatin1String("ZDownloadRowsView"))
    return new RowsAccessible(static_cast<ZDownloadRowsView *>(object));
  // The row's button (the first class name asked is the button's own).
  if (auto *button = qobject_cast<ZButtonImageView *>(object))
    if (auto *row = qobject_cast<ZDownloadTableRowView *>(button->parent()))
      if (row->stopButton() == button) return new RowButtonAccessible(button, row);
  return nullptr;
}

}  // namespace

namespace ZDownloadAccessibility {

void install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(factory);
}

}  // namespace ZDownloadAccessibility
