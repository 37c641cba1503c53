#include "ZDownloadAccessibility.h"

#include "Localization.h"
#include "ZAccessibility.h"
#include "ZControls.h"
#include "ZDownloadRowsView.h"
#include "ZDownloadTableRowView.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <QWindow>

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

// A row: a list item whose description is the speed and the time left, and
// whose children are its progress bar, then its button.
class RowAccessible : public QAccessibleWidget {
 public:
  explicit RowAccessible(ZDownloadTableRowView *row)
      : QAccessibleWidget(row, QAccessible::ListItem) {}

  ZDownloadTableRowView *row() const { return static_cast<ZDownloadTableRowView *>(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description) return row()->accessibleDescriptionText();
    return QAccessibleWidget::text(t);
  }

  int childCount() const override { return 1 + QAccessibleWidget::childCount(); }
  QAccessibleInterface *child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(row()->progressPart());
    return QAccessibleWidget::child(index - 1);
  }
  int indexOfChild(const QAccessibleInterface *child) const override {
    if (!child) return -1;
    if (child->object() && child->object() == row()->progressPart()) return 0;
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : index + 1;
  }
  QAccessibleInterface *childAt(int x, int y) const override {
    if (QAccessibleInterface *control = QAccessibleWidget::childAt(x, y)) return control;
    const QPoint point = row()->mapFromGlobal(QPoint(x, y));
    return row()->progressRect().contains(point) ? child(0) : nullptr;
  }

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

// A row's progress bar, painted by the row: from 0 to 100, its value the
// percentage and its text the percentage as written over the bar ("42.0%").
// Read only.
class RowProgressAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
 public:
  explicit RowProgressAccessible(ZDownloadRowProgress *part) : fPart(part) {}

  bool isValid() const override { return fPart && fPart->row(); }
  QObject *object() const override { return fPart; }
  QWindow *window() const override {
    return isValid() ? fPart->row()->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface *parent() const override {
    return isValid() ? QAccessible::queryAccessibleInterface(fPart->row()) : nullptr;
  }
  QAccessibleInterface *child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface *) const override { return -1; }
  QAccessibleInterface *childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return localized(QStringLiteral("downloadsHeaderTitleProgress"));
    if (t == QAccessible::Value) return fPart->row()->accessibleProgressText();
    return {};
  }
  void setText(QAccessible::Text, const QString &) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const ZDownloadTableRowView *row = fPart->row();
    const QRect column = row->progressRect();
    return QRect(row->mapToGlobal(column.topLeft()), column.size());
  }
  QAccessible::Role role() const override { return QAccessible::ProgressBar; }
  QAccessible::State state() const override {
    QAccessible::State st;
    st.readOnly = true;
    if (!isValid() || !fPart->row()->isVisible()) st.invisible = true;
    return st;
  }

  void *interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface *>(this);
    return nullptr;
  }
  QVariant currentValue() const override {
    return isValid() ? fPart->row()->accessiblePercent() : 0.0;
  }
  void setCurrentValue(const QVariant &) override {}
  QVariant maximumValue() const override { return 100.0; }
  QVariant minimumValue() const override { return 0.0; }
  // The bar's text has one decimal.
  QVariant minimumStepSize() const override { return 0.1; }

 private:
  QPointer<ZDownloadRowProgress> fPart;
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
  if (!object) return nullptr;
  if (className == QLatin1String("ZDownloadRowProgress"))
    return new RowProgressAccessible(static_cast<ZDownloadRowProgress *>(object));
  if (!object->isWidgetType()) return nullptr;
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
