// vistrel-info FILE...: for each file the media type code and name, the media file
// test's outcome and the info lines 0 to 7 exactly as the media file test composes them
// (unshortened). --json prints the same as a JSON array.
#include "mediainfo/MediaFileTest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FileReport {
    std::string File;
    vistrel::MediaFileTestResult Test;
};

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const char* YesNo(bool value)
{
    return value ? "true" : "false";
}

void PrintText(const std::vector<FileReport>& reports)
{
    for (const auto& r : reports) {
        if (&r != &reports.front())
            std::printf("\n");
        const auto& t = r.Test;
        std::printf("file: %s\ntype: %d\ntype_name: %s\nplayable: %s\n", r.File.c_str(), t.Detected,
                    vistrel::GetMediaTypeName(t.Detected).c_str(), YesNo(t.Play));
        // The refusal's CR LF is shown as a line break with an indented second line.
        std::string refusal = t.Refusal;
        if (const auto crlf = refusal.find("\r\n"); crlf != std::string::npos)
            refusal.replace(crlf, 2, "\n  ");
        std::printf("refusal: %s\nlabel0_mismatch: %s\n", refusal.c_str(), YesNo(t.Label0Mismatch));
        for (size_t i = 0; i < t.Lines.size(); ++i)
            std::printf("line%zu: %s\n", i, t.Lines[i].c_str());
    }
}

void PrintJson(const std::vector<FileReport>& reports)
{
    QJsonArray array;
    for (const auto& r : reports) {
        const auto& t = r.Test;
        QJsonArray lines;
        for (const auto& line : t.Lines)
            lines.append(Utf8(line));
        array.append(QJsonObject{
            {"file", Utf8(r.File)},
            {"type", t.Detected},
            {"type_name", Utf8(vistrel::GetMediaTypeName(t.Detected))},
            {"playable", t.Play},
            {"refusal", t.Refusal.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(Utf8(t.Refusal))},
            {"label0_mismatch", t.Label0Mismatch},
            {"lines", lines},
        });
    }
    std::fputs(QJsonDocument(array).toJson(QJsonDocument::Indented).constData(), stdout);
}

int Usage()
{
    std::fputs("usage: vistrel-info [--json] [--] FILE...\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    bool json = false;
    bool options = true;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (options && std::strcmp(argv[i], "--") == 0)
            options = false;
        else if (options && std::strcmp(argv[i], "--json") == 0)
            json = true;
        else if (options && std::strcmp(argv[i], "--help") == 0)
            return Usage();
        else
            files.emplace_back(argv[i]);
    }
    if (files.empty())
        return Usage();
    vistrel::InitMpegSyncCodes();
    std::vector<FileReport> reports;
    for (const auto& file : files)
        reports.push_back({file, vistrel::TestMediaFile(file, vistrel::UpperExtension(file))});
    json ? PrintJson(reports) : PrintText(reports);
    return 0;
}
