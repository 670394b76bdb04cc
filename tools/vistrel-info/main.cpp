// vistrel-info FILE...: the media type code and name of each file, as the media file
// test sees it (DESIGN.md section 2). --json prints a JSON array instead.
#include "mediainfo/MediaType.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FileReport {
    std::string File;
    vistrel::MediaType Type = 0;
    std::string TypeName;
};

FileReport Identify(const std::string& file)
{
    const vistrel::MediaType type = vistrel::GetMediaType(file);
    return {file, type, vistrel::GetMediaTypeName(type)};
}

void PrintText(const std::vector<FileReport>& reports)
{
    for (const auto& r : reports) {
        if (&r != &reports.front())
            std::printf("\n");
        std::printf("file: %s\ntype: %d\ntype_name: %s\n", r.File.c_str(), r.Type, r.TypeName.c_str());
    }
}

void PrintJson(const std::vector<FileReport>& reports)
{
    QJsonArray array;
    for (const auto& r : reports) {
        array.append(QJsonObject{{"file", QString::fromUtf8(r.File.c_str())},
                                 {"type", r.Type},
                                 {"type_name", QString::fromStdString(r.TypeName)}});
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
        reports.push_back(Identify(file));
    json ? PrintJson(reports) : PrintText(reports);
    return 0;
}
