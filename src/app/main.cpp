// tessmar-gui: the desktop program.

#include <QApplication>

#include "app/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessmar");
  tessmar::app::MainWindow window;
  window.show();
  if (argc > 1) window.OpenRunFile(argv[1]);
  return QApplication::exec();
}
