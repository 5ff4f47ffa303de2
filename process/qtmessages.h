#pragma once
// Qt's own messages (a lock file it could not remove, a font it lacks) are for the developer:
// the user reads Tamrix's words only. With TAMRIX_QT_MESSAGES set in the environment they go to
// standard error (or the debugger) as Qt writes them.

void keepQtMessagesFromTheUser();
