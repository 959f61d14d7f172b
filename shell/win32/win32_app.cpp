// The Qt application object behind the windowing layer.
#include <QApplication>
#include <clocale>

#include "shell/win32/win32_qt.h"

QApplication* Win32Application() {
  if (QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
    return app;
  }
  // Qt keeps references to argc and argv for the life of the application.
  static int argc = 1;
  static char name[] = "tandemix";
  static char* argv[] = {name, nullptr};
  QApplication* app = new QApplication(argc, argv);
  // Qt sets the C library's locale from the environment. Numbers that the program writes or reads with
  // the C library (status texts, property values) keep the decimal point of the "C" locale, as the
  // settings script does; characters keep the user's encoding.
  setlocale(LC_NUMERIC, "C");
  // Windows come and go through the layer's calls; the program ends through WM_QUIT only.
  app->setQuitOnLastWindowClosed(false);
  return app;
}
