// A bare Qt window, the yardstick of the start-up benchmark: a QMainWindow
// of Korvel's size, shown; says "painted" once it is, and leaves.

#include <QApplication>
#include <QMainWindow>

#include <cstdlib>

#include "firstpaint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.resize(900, 640);
  korvel::bench::ShowUntilPainted(window);
  std::_Exit(0);
}
