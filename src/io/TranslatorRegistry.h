#pragma once

#include "container/Chain.h"
#include "io/Translator.h"

namespace korvane::io {

/// The image readers a program knows, as a chain of translators tried in the order they were added: it
/// finds the translator that reads a file (the first whose canRead accepts it) and reads the file with it,
/// so that callers name the file, never its format. Not locked: one thread uses a registry at a time, as
/// its translators keep the state of one read.
class TranslatorRegistry : public object::Object {
public:
    TranslatorRegistry() = default;

    /// A new registry of the readers the framework provides, DDS among them (count 1, owned by the caller).
    static TranslatorRegistry* createStandard();

    /// Adds a reader at the end of the chain, which holds a reference to it. False, and nothing added, for
    /// null or for a translator that is in a chain already.
    bool add(Translator* translator);
    /// The first reader whose canRead accepts the file, null when none does; the file position is kept.
    Translator* find(File& file) const;
    /// Reads the images of `file` from its position with the reader that knows it and returns the first
    /// image of the chain (count 1, owned by the caller). `name` is how messages call the file: when no
    /// reader knows it, TranslatorFormatException says "<name>: not an image any reader knows (…)" with the
    /// formats tried. The reader's own failures pass through unchanged.
    graphics::Image* read(File& file, const types::String& name) const;

    const container::Chain<Translator>& getTranslators() const { return translators; }

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":TranslatorRegistry");
    }

private:
    container::Chain<Translator> translators;
};

} // namespace korvane::io
