#include "platform/desktop/QtXcb.h"

#include <QGuiApplication>

namespace vistrel {

bool IsXcbPlatform()
{
    // qGuiApp is a plain cast, wrong under a QCoreApplication (the command-line tools, unit tests).
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() == QLatin1String("xcb");
}

xcb_connection_t* QtXcbConnection()
{
#if QT_CONFIG(xcb)
    if (!IsXcbPlatform())
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
#else
    return nullptr;
#endif
}

}  // namespace vistrel
