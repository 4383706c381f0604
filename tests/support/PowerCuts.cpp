#include "PowerCuts.h"

#include <map>
#include <optional>

namespace cvx::test {

PowerCuts simulatePowerCuts(const std::vector<FaultyFileSystem::Change>& changes,
                            const fs::path& dir, const FileTree& before, const FileTree& after) {
    using Change = FaultyFileSystem::Change;
    std::vector<std::pair<Bytes, Bytes>> files;    // each file's bytes written, and synced
    std::map<std::string, std::size_t> now, kept;  // names as they are, and as last synced
    for (const auto& [name, bytes] : before) {
        files.emplace_back(bytes, bytes);
        now[name] = kept[name] = files.size() - 1;
    }
    auto in = [](const FileTree& tree, const std::string& name) {
        const auto it = tree.find(name);
        return it == tree.end() ? std::nullopt : std::optional<Bytes>(it->second);
    };
    PowerCuts figures;
    auto cut = [&](const std::string& change) {
        for (const auto* names : {&now, &kept}) {
            std::map<std::string, std::optional<Bytes>> left;  // what each name holds then
            for (const auto& entry : before) {
                left[entry.first];
            }
            for (const auto& [name, file] : *names) {
                left[name] = files[file].second;
            }
            for (const auto& [name, bytes] : left) {
                if (name.find(".cvx-") == std::string::npos && bytes != in(before, name) &&
                    bytes != in(after, name)) {
                    figures.firstLoss += figures.lost++ ? "" : name + " after " + change;
                }
            }
            ++figures.cuts;
        }
    };
    cut("nothing");
    for (const Change& change : changes) {
        std::string name = toText(change.path.lexically_normal().lexically_relative(dir));
        name = name == "." ? "" : name;
        if (change.kind == Change::Create) {
            files.emplace_back();
            now[name] = files.size() - 1;
        } else if (change.kind == Change::Write) {
            auto& written = files[now.at(name)].first;
            written.insert(written.end(), change.bytes.begin(), change.bytes.end());
        } else if (change.kind == Change::Sync) {
            files[now.at(name)].second = files[now.at(name)].first;
        } else if (change.kind == Change::Rename || change.kind == Change::Remove) {
            if (change.kind == Change::Rename) {
                now[toText(change.to.lexically_relative(dir))] = now.at(name);
            }
            now.erase(name);
        } else {  // a folder synced: its names as they are now
            auto inFolder = [&](const auto& entry) {
                return fs::path(entry.first).parent_path() == fs::path(name);
            };
            std::erase_if(kept, inFolder);
            std::copy_if(now.begin(), now.end(), std::inserter(kept, kept.end()), inFolder);
        }
        cut(name);
    }
    return figures;
}

}  // namespace cvx::test
