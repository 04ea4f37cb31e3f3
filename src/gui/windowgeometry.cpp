#include "windowgeometry.h"

#include <QScreen>
#include <QSettings>
#include <QWidget>

void WindowGeometry::restore(QWidget& window, const QString& iniPath, const QString& key,
                             QSize defaultSize) {
    const QSettings settings(iniPath, QSettings::IniFormat);
    if (window.restoreGeometry(settings.value(key).toByteArray()))
        return;
    QSize size = defaultSize;
    if (const QScreen* shown = window.screen())
        size = size.boundedTo(shown->availableSize() - QSize(20, 60));
    window.resize(size);
}

void WindowGeometry::save(const QWidget& window, const QString& iniPath, const QString& key) {
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.setValue(key, window.saveGeometry());
}
