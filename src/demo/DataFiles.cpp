#include "demo/DataFiles.h"

#include <string_view>

#include "io/SystemDirectory.h"
#include "io/SystemFileFactory.h"
#include "platform/File.h"
#include "platform/Module.h"

namespace korvane::demo {

namespace {

using types::String;

constexpr std::string_view DataPrefix = "data/";
// The fonts taken when the working directory has none, best first: the condensed face the build's run
// directory uses, then the one every DejaVu installation has.
constexpr const char* FontNames[] = {"DejaVuSansCondensed.ttf", "DejaVuSans.ttf"};

// The folder and a name in it, joined with the separator the folder already uses.
String join(const String& folder, const char* name) {
    const bool backslash = folder.view().find('\\') != std::string_view::npos;
    return String::concat(folder, backslash ? "\\" : "/") + name;
}

bool exists(const String& path) {
    return platform::getFileAttributes(path.getText()) != platform::INVALID_FILE_ATTRIBUTES;
}

// The files of one folder, opened by name only: a FontFactory over it catalogues just the fonts it is
// given one by one, not everything else the folder holds.
class NamedFiles : public io::SystemFileFactory {
public:
    using SystemFileFactory::SystemFileFactory;
    io::Directory* openDirectory() override { return new io::SystemDirectory; }
};

} // namespace

String installedDataFolder() {
    char executable[4096];
    const std::string_view path(executable, platform::getExecutablePath(executable, sizeof executable));
    // <prefix>/bin/korvane: the data folder is <prefix>/share/korvane/data.
    const size_t file = path.find_last_of("/\\");
    if (file == std::string_view::npos || file == 0)
        return String();
    const size_t folder = path.find_last_of("/\\", file - 1);
    if (folder == std::string_view::npos)
        return String();
    const String data = join(join(join(String(path.data(), uint32_t(folder)), "share"), "korvane"), "data");
    return exists(data) ? data : String();
}

String findDataFile(const char* name) {
    const String given(name);
    const std::string_view relative(name);
    if (exists(given) || relative.substr(0, DataPrefix.size()) != DataPrefix)
        return given;
    const String folder = installedDataFolder();
    if (folder.isEmpty())
        return given;
    const String installed = join(folder, name + DataPrefix.size());
    return exists(installed) ? installed : given;
}

object::Pointer<freetype::FontFactory> createFontFactory() {
    auto factory = object::Pointer<freetype::FontFactory>::adopt(new freetype::FontFactory);
    if (!factory->getFonts().isEmpty())
        return factory;
    const String data = installedDataFolder();
    if (data.isEmpty())
        return factory;
    container::Array<String> folders;
    folders.append(data);
#ifndef _WIN32
    folders.append(String("/usr/share/fonts/truetype/dejavu"));
#endif
    for (const String& folder : folders) {
        auto files = object::Pointer<NamedFiles>::adopt(new NamedFiles(folder));
        auto fonts = object::Pointer<freetype::FontFactory>::adopt(new freetype::FontFactory(files.get()));
        for (const char* name : FontNames)
            if (fonts->addFont(String(name)))
                return fonts;
    }
    return factory;
}

} // namespace korvane::demo
