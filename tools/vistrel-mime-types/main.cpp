// vistrel-mime-types: prints the MIME types of the desktop entry's MimeType key, each
// followed by ";". A type is listed when Vistrel identifies its container (the media type
// codes) and the file list shows its files: the shared MIME database has a file name
// pattern for the type that the list's default patterns match. Without the second
// condition a file manager would hand Vistrel files its own list hides. Picture types stay
// with the picture viewers.
#include "browser/FileList.h"
#include "mediainfo/MediaMimeTypes.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace vistrel;

// A file name for each of the type's patterns ("*.wav" gives "x.wav"); patterns with
// wildcards past the first character are left out.
bool ListShowsFilesOf(const QMimeType& type, const FileNameFilter& filter)
{
    const QStringList globs = type.globPatterns();
    return std::any_of(globs.begin(), globs.end(), [&](const QString& glob) {
        const QString rest = glob.mid(1);
        if (!glob.startsWith(u'*') || rest.contains(u'*') || rest.contains(u'?') || rest.contains(u'['))
            return false;
        return filter.Matches(("x" + rest).toStdString());
    });
}

}  // namespace

int main()
{
    const QMimeDatabase database;
    const FileNameFilter filter(DefaultFilePatterns());
    std::vector<std::string> listed;
    for (MediaType code = mt::NoMM; code <= mt::Unreadable; ++code) {
        for (const std::string& name : MimeTypesOfMediaType(code)) {
            const QMimeType type = database.mimeTypeForName(QString::fromStdString(name));
            if (!type.isValid() || type.name().startsWith(u"image/") || !ListShowsFilesOf(type, filter))
                continue;
            if (std::find(listed.begin(), listed.end(), name) == listed.end())
                listed.push_back(name);
        }
    }
    if (listed.empty()) {
        std::fprintf(stderr, "vistrel-mime-types: the shared MIME database knows none of Vistrel's media types "
                             "(is shared-mime-info installed?)\n");
        return 1;
    }
    for (const std::string& name : listed)
        std::printf("%s;", name.c_str());
    std::printf("\n");
    return 0;
}
