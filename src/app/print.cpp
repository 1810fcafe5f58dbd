#include "app/print.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <memory>

namespace tessmar::app {

PrintScalingDialog::PrintScalingDialog(PrintScale scale, QWidget* parent)
    : QDialog(parent), scale_(scale) {
  setWindowTitle("Print Scaling");
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* lay = new QHBoxLayout(this);
  prop_ = new QPushButton("&Proportional", this);
  page_ = new QPushButton("To page &Width", this);
  none_ = new QPushButton("&Not scale", this);
  auto* cancel = new QPushButton("&Cancel", this);
  for (QPushButton* b : {prop_, page_, none_, cancel}) {
    b->setAutoDefault(true);
    lay->addWidget(b);
  }
  auto choose = [this](PrintScale s) {
    scale_ = s;
    accept();
  };
  connect(prop_, &QPushButton::clicked, this, [choose] { choose(PrintScale::Proportional); });
  connect(page_, &QPushButton::clicked, this, [choose] { choose(PrintScale::PrintToFit); });
  connect(none_, &QPushButton::clicked, this, [choose] { choose(PrintScale::None); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(352, 38);
}

QPushButton* PrintScalingDialog::ButtonOf(PrintScale scale) const {
  switch (scale) {
    case PrintScale::None: return none_;
    case PrintScale::Proportional: return prop_;
    case PrintScale::PrintToFit: return page_;
  }
  return none_;
}

void PrintScalingDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ButtonOf(scale_)->setFocus(Qt::OtherFocusReason);
  ButtonOf(scale_)->setDefault(true);
}

QPrinter& SessionPrinter() {
  static QPrinter printer(QPrinter::HighResolution);
  return printer;
}

bool ChoosePrintScale(PrintScale& scale, QWidget* parent) {
  if (PrintHooks::ChooseScale) {
    const auto chosen = PrintHooks::ChooseScale(scale);
    if (!chosen) return false;
    scale = *chosen;
    return true;
  }
  PrintScalingDialog dlg(scale, parent);
  if (dlg.exec() != QDialog::Accepted) return false;
  scale = dlg.Scale();
  return true;
}

bool SetupPrinter(QPrinter& printer, QWidget* parent) {
  if (PrintHooks::SetupPrinter) return PrintHooks::SetupPrinter(printer);
  QPrintDialog dlg(&printer, parent);
  return dlg.exec() == QDialog::Accepted;
}

bool RenderWidget(QPrinter& printer, QWidget* widget, PrintScale scale) {
  widget->ensurePolished();
  if (widget->layout()) widget->layout()->activate();
  if (!widget->isVisible() && widget->size().isEmpty()) widget->adjustSize();
  const QSize size = widget->size();
  if (size.isEmpty()) return false;
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const qreal fit = std::min(static_cast<qreal>(page.width()) / size.width(),
                             static_cast<qreal>(page.height()) / size.height());
  qreal s = 1;
  switch (scale) {
    case PrintScale::None: s = 1; break;
    case PrintScale::Proportional:
      s = std::min(static_cast<qreal>(printer.resolution()) / std::max(1, widget->logicalDpiX()),
                   fit);
      break;
    case PrintScale::PrintToFit: s = fit; break;
  }
  painter.scale(s, s);
  widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
  return painter.end();
}

bool PrintDialogForm(QWidget* form, const std::vector<QAbstractButton*>& hide, PrintScale scale) {
  QPrinter& printer = SessionPrinter();
  if (!SetupPrinter(printer, form)) return false;
  std::vector<QAbstractButton*> hidden;
  for (QAbstractButton* b : hide) {
    if (!b->isHidden()) {
      b->hide();
      hidden.push_back(b);
    }
  }
  const bool ok = RenderWidget(printer, form, scale);
  // Buttons come back as they were: those already hidden by the dialog's mode stay hidden.
  for (QAbstractButton* b : hidden) b->show();
  return ok;
}

bool PrintPicture(const QImage& picture, PrintScale& ownerScale, QWidget* owner) {
  // The print form: the picture at its pixel size, nothing else.
  auto form = std::make_unique<QLabel>();
  form->setWindowTitle("ImagePrintForm");
  form->setContentsMargins(0, 0, 0, 0);
  form->setPixmap(QPixmap::fromImage(picture));
  form->resize(picture.size());
  if (!ChoosePrintScale(ownerScale, owner)) return false;
  QPrinter& printer = SessionPrinter();
  if (!SetupPrinter(printer, owner)) return false;
  return RenderWidget(printer, form.get(), ownerScale);
}

}  // namespace tessmar::app
