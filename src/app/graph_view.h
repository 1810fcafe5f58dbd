#pragma once
// One graph of the main window: shows the frame's picture, scaled to the
// space it has, and reports the mouse read-out of the point under the cursor.

#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

#include "view/canvas.h"

namespace tessmar::app {

QImage ToQImage(const TRgbImage& image);

class GraphView : public QWidget {
  Q_OBJECT
 public:
  explicit GraphView(QString name, QWidget* parent = nullptr);

  void SetImage(const QImage& image);
  [[nodiscard]] const QImage& Image() const { return image_; }
  // Text shown while no picture is there.
  void SetPlaceholder(const QString& text);
  // Read-out at a point of the picture (its own pixels); empty: none.
  std::function<std::string(int px, int py)> ReadOut;

 signals:
  void readOut(const QString& text);
  void printRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  [[nodiscard]] QRect ImageRect() const;
  QString name_, placeholder_;
  QImage image_;
};

}  // namespace tessmar::app
