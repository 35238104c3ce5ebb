// The toolbar and window icons, drawn as one consistent set (no bitmap files to keep in step).
#pragma once

#include <QIcon>
#include <QString>

namespace fl {

// Names: connect, disconnect, settings, open, save, print, gettrace, displaytrace, livetrace, transfer,
// settingeditor, limiteditor, extdeveditor, channeleditor, cableeditor, antennaeditor, cablefactoreditor,
// emflimiteditor, screendump, gps, about, app.
QIcon MakeIcon(const QString& name);

}  // namespace fl
