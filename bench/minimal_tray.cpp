// The least a Qt 6 program does to show an icon in the system tray: the
// yardstick that Vellicor's start-up is measured against, timed the same way
// in the same run (vellicor_desktop_bench).

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QPixmap pixmap(22, 22);
  pixmap.fill(Qt::darkGray);
  QSystemTrayIcon icon{QIcon(pixmap)};
  icon.show();
  return QApplication::exec();
}
