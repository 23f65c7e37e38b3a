#pragma once

class QApplication;

namespace tickora {

// The windows' geometry is fixed in twips for a 9 pt interface font; a larger default font
// would clip captions, so it is brought down to 9 pt (never up), in a Chinese interface font
// where one is installed.
void applyInterfaceFont(QApplication& app);

// The application's own icon, for every window.
void applyApplicationIcon(QApplication& app);

} // namespace tickora
