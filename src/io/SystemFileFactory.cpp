#include "io/SystemFileFactory.h"

#include "io/SystemDirectory.h"
#include "io/SystemFile.h"
#include "object/Pointer.h"

namespace korvane::io {

types::String SystemFileFactory::join(const types::String& name) const {
    types::String joined = basePath;
    if (!joined.isEmpty() && joined.view().back() != '\\')
        joined.append("\\");
    joined.append(name);
    return joined;
}

bool SystemFileFactory::exists(const types::String& name) {
    return io::exists(join(name));
}

File* SystemFileFactory::create(const types::String& name) {
    return SystemFile::create(join(name));
}

File* SystemFileFactory::open(const types::String& name, uint32_t mode) {
    return SystemFile::open(join(name), mode);
}

Directory* SystemFileFactory::openDirectory() {
    auto directory = object::Pointer<SystemDirectory>::adopt(new SystemDirectory);
    directory->open(basePath);
    directory->addReference();
    return directory.get();
}

} // namespace korvane::io
