#include "app/graph_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace tessmar::app {

QImage ToQImage(const TRgbImage& image) {
  if (image.Width <= 0 || image.Height <= 0) return {};
  QImage out(image.Pixels.data(), image.Width, image.Height, image.Width * 3,
             QImage::Format_RGB888);
  return out.copy();  // own the pixels
}

GraphView::GraphView(QString name, QWidget* parent) : QWidget(parent), name_(std::move(name)) {
  setObjectName(name_);
  setMouseTracking(true);
  setMinimumSize(160, 120);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void GraphView::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void GraphView::SetPlaceholder(const QString& text) {
  placeholder_ = text;
  update();
}

QRect GraphView::ImageRect() const {
  if (image_.isNull()) return {};
  QSize s = image_.size();
  s.scale(size(), Qt::KeepAspectRatio);
  return {QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s};
}

void GraphView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (!image_.isNull()) {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(ImageRect(), image_);
    return;
  }
  p.setPen(QColor(170, 170, 170));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setPen(QColor(90, 90, 90));
  p.drawText(rect(), Qt::AlignCenter, placeholder_.isEmpty() ? name_ : placeholder_);
}

void GraphView::mouseMoveEvent(QMouseEvent* event) {
  const QRect r = ImageRect();
  if (!ReadOut || r.isEmpty() || !r.contains(event->position().toPoint())) return;
  const QPointF local = event->position() - r.topLeft();
  const int px = static_cast<int>(local.x() * image_.width() / r.width());
  const int py = static_cast<int>(local.y() * image_.height() / r.height());
  const std::string text = ReadOut(px, py);
  setToolTip(QString::fromStdString(text));
  emit readOut(QString::fromStdString(text));
}

void GraphView::contextMenuEvent(QContextMenuEvent* event) {
  if (image_.isNull()) return;
  QMenu menu(this);
  QAction* print = menu.addAction("Print...");
  if (menu.exec(event->globalPos()) == print) emit printRequested();
}

}  // namespace tessmar::app
