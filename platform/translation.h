#pragma once

class QCoreApplication;

namespace tickora {

// Loads Qt's own Simplified Chinese translation so standard buttons read "确定" and "取消".
// Returns false (and the program carries on in English buttons) when the file is missing.
bool installChineseQtTranslation(QCoreApplication& app);

} // namespace tickora
