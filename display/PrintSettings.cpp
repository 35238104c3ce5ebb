#include "PrintSettings.h"

#include <QSettings>

#include "PageCanvas.h"

namespace fl {

RenderOptions PrintSettingsOptions() {
    QSettings s("Zarnell", "Fieldlink");
    s.beginGroup("SETTINGS");
    RenderOptions o;
    o.headLeft = ToCp1252(s.value("PHeadLeft", "").toString());
    o.headRight = ToCp1252(s.value("PHeadRight", "").toString());
    o.showFilePath = s.value("ShowFilePath", 1).toInt() != 0;
    return o;
}

}  // namespace fl
