// Qt's own texts (standard buttons, file dialogs) in the program's interface language, Chinese,
// whatever the system locale. UI thread, once at start-up.
#pragma once

class QCoreApplication;

namespace tessaly {

// Makes Chinese the default locale and installs Qt's Chinese catalogue on app; false when the
// catalogue is not there (the standard texts then stay in English).
bool InstallQtChinese(QCoreApplication& app);

} // namespace tessaly
