#include "base/AppSettings.h"

AppSettings &appSettings() {
    static AppSettings settings;
    return settings;
}
