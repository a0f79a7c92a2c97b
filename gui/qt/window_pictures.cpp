#include "gui/qt/window_pictures.h"

#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace gui {

namespace {

QString PictureFolder() {
  const char* folder = std::getenv("TESSALY_QT_SCREENSHOTS");
  return folder != nullptr ? QString::fromLocal8Bit(folder) : QString();
}

void SaveNow(QWidget& window, platform::UINT template_id, const QString& folder) {
  static std::map<platform::UINT, int> taken;  // the GUI thread's windows only
  const int number = ++taken[template_id];
  const QString file = QStringLiteral("%1/%2-%3.png").arg(folder).arg(template_id).arg(number);
  if (!QDir().mkpath(folder) || !window.grab().save(file)) {
    std::fprintf(stderr, "tessaly-qt: cannot save the picture %s\n", qPrintable(file));
  }
}

}  // namespace

void SaveFirstLookLater(QWidget& window, platform::UINT template_id) {
  const QString folder = PictureFolder();
  if (folder.isEmpty()) {
    return;
  }
  QTimer::singleShot(0, &window,
                     [&window, template_id, folder] { SaveNow(window, template_id, folder); });
}

}  // namespace gui
