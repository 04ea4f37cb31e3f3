#pragma once

#include <QSize>
#include <QString>

class QWidget;

// A window's size and place kept between runs in an INI file under `key`.
namespace WindowGeometry {

// Puts `window` where it was when last saved, or makes it `defaultSize`,
// kept within a smaller screen with room for the frame and a task bar.
void restore(QWidget& window, const QString& iniPath, const QString& key, QSize defaultSize);
void save(const QWidget& window, const QString& iniPath, const QString& key);

} // namespace WindowGeometry
