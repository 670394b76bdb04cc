#include "app/Main.h"

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "mediainfo/MediaType.h"
#include "platform/shell/Launcher.h"
#include "support/MsgBox.h"

#include <QDBusConnection>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <memory>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

bool FolderIsWritable(const std::string& folder)
{
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

void MakeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
}

void BuildIniNames(const std::string& modulePath)
{
    const std::string folder = modulePath.substr(0, modulePath.rfind('/') + 1);
    const bool besideProgram = FolderIsWritable(folder);
    const IniNames names = MakeIniNames(modulePath, besideProgram, XdgConfigFolder());
    if (!besideProgram)
        MakeFolders(XdgConfigFolder());
    program::IniFile = names.IniFile;
    program::IniBackupFile = names.IniBackupFile;
}

void ReadTwipsPerPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    program::TwipsPerPixelX = TwipsPerPixelFromDpi(screen ? screen->logicalDotsPerInchX() : 96);
    program::TwipsPerPixelY = TwipsPerPixelFromDpi(screen ? screen->logicalDotsPerInchY() : 96);
}

void ShowModally(MainWindow& window)
{
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::Unloaded, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
}

int RunMainWindow(const StartupEnv& env)
{
    BuildIniNames(env.ModulePath);
    ReadTwipsPerPixel();
    program::FileShareMode = program::OSVersion.IsNT ? FILE_SHARE_READ_WRITE_DELETE : FILE_SHARE_READ_WRITE;
    InitMpegSyncCodes();
    program::AutoZoomSteps = kAutoZoomSteps;
    const auto window = LoadRetryingOnceWhenOutOfMemory([&] { return std::make_unique<MainWindow>(env.ModulePath); });
    window->StartMpris(QDBusConnection::sessionBus());
    ShowModally(*window);
    return 0;
}

}  // namespace

StartupEnv StartupEnv::FromProcess(int argc, char** argv)
{
    StartupEnv env;
    env.CurrentDirectory = vistrel::CurrentDirectory();
    env.Arguments.assign(argv + std::min(argc, 1), argv + argc);
    env.ModulePath = ProgramPath();
    return env;
}

int Main(const StartupEnv& env)
{
    program::OSVersion = GetOSVersion();
    SetProcessPriority();

    if (const auto failure = CheckCurrentDirectory(env.CurrentDirectory)) {
        MsgBox(failure->Text, failure->Flags, failure->Title);
        return 1;
    }
    const CommandLineResult cmd = CleanCommandLine(JoinArguments(env.Arguments), env.ModulePath, env.CurrentDirectory);
    if (cmd.Failure) {
        MsgBox(cmd.Failure->Text, cmd.Failure->Flags, cmd.Failure->Title);
        return 1;
    }
    program::CommandLineArg = cmd.Argument;

    // From here on an unexpected error ends Main with its text.
    try {
        return RunMainWindow(env);
    } catch (const std::exception& e) {
        MsgBox(std::string("MainERR: ") + e.what(), kMsgOk, kAppTitle);
        return 1;
    }
}

void LimitMallocArenas()
{
    ::mallopt(M_ARENA_MAX, 2);
}

void SelectX11PlatformWhenPossible()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    if ((!platform || !*platform) && display && *display) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        launcher::MarkQtPlatformChosenByUs();
    }
}

}  // namespace vistrel
