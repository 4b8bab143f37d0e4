#pragma once
// Test-only reader of the binary component stream: parses it into a tree and builds
// components from it through the class registry, so tests can check what was written.

#include "framework/core/Streams.h"

#include <string>
#include <utility>
#include <vector>

struct TStreamValue {
    TValueType Type = vaNull;
    int64_t Int = 0;
    long double Float = 0;
    std::string Str; // strings and identifiers (UTF-8), binary data
    std::vector<std::string> Set;
    std::vector<TStreamValue> List;
    std::vector<std::vector<std::pair<std::string, TStreamValue>>> Items; // collection
};

using TStreamProps = std::vector<std::pair<std::string, TStreamValue>>;

struct TStreamComponent {
    std::string ClassName;
    std::string Name;
    TStreamProps Props;
    std::vector<TStreamComponent> Children;
};

// Raises EReadError on a malformed stream.
TStreamComponent ReadComponentStream(TStream& stream);

// Creates the root (owned by owner) and its children (owned by the root) from the tree,
// inside a loading bracket. Event properties cannot be bound by name here; their
// handler names are collected in methodNames as "path=name".
TComponent* CreateFromStream(const TStreamComponent& tree, TComponent* owner,
                             std::vector<std::string>* methodNames = nullptr);
