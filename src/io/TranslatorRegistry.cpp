#include "io/TranslatorRegistry.h"

#include <algorithm>
#include <string_view>

#include "io/IOException.h"
#include "io/TranslatorDDS.h"
#include "object/Pointer.h"

namespace korvane::io {

namespace {

// The format a translator reads, from the last segment of its class path ("...:TranslatorDDS" gives
// "DDS").
types::String formatOf(const Translator& translator) {
    const types::String path = translator.getClassPath();
    std::string_view name = path.view();
    if (const size_t colon = name.rfind(':'); colon != std::string_view::npos)
        name.remove_prefix(colon + 1);
    constexpr std::string_view prefix = "Translator";
    if (name.starts_with(prefix) && name.size() > prefix.size())
        name.remove_prefix(prefix.size());
    return types::String(name.data(), uint32_t(name.size()));
}

} // namespace

TranslatorRegistry* TranslatorRegistry::createStandard() {
    auto registry = object::Pointer<TranslatorRegistry>::adopt(new TranslatorRegistry);
    registry->add(object::Pointer<Translator>::adopt(new TranslatorDDS).get());
    return registry.detach();
}

bool TranslatorRegistry::add(Translator* translator) {
    return translators.append(translator);
}

Translator* TranslatorRegistry::find(File& file) const {
    for (Translator* translator : translators)
        if (translator->canRead(file))
            return translator;
    return nullptr;
}

graphics::Image* TranslatorRegistry::read(File& file, const types::String& name) const {
    if (Translator* translator = find(file)) {
        InputStream& stream = file.getInputStream();
        const int64_t available = std::clamp<int64_t>(stream.available(), 0, UINT32_MAX);
        return translator->read(stream, uint32_t(available));
    }
    types::String message = types::String::concat(name, ": not an image any reader knows (");
    if (translators.isEmpty())
        message.append("no readers");
    for (Translator* translator : translators)
        message.append(translator == translators.getFirst() ? "readers: " : ", ")
            .append(formatOf(*translator));
    throw TranslatorFormatException(message.append(")"));
}

} // namespace korvane::io
