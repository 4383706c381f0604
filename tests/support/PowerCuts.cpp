#include "PowerCuts.h"

#include <map>
#include <optional>
#include <set>

namespace cvx::test {

PowerCuts simulatePowerCuts(const std::vector<FaultyFileSystem::Change>& changes,
                            const fs::path& dir, const FileTree& before, const FileTree& after) {
    using Change = FaultyFileSystem::Change;
    struct Data {
        Bytes written, synced;
    };
    std::vector<Data> files;                       // by the number a name points to
    std::map<std::string, std::size_t> now, kept;  // names as they are, and as they are synced
    for (const auto& [name, bytes] : before) {
        files.push_back({bytes, bytes});
        now[name] = kept[name] = files.size() - 1;
    }
    auto nameOf = [&](const fs::path& path) {
        const std::string name = toText(path.lexically_normal().lexically_relative(dir));
        return name == "." ? std::string() : name;
    };
    auto in = [](const FileTree& tree, const std::string& name) {
        const auto it = tree.find(name);
        return it == tree.end() ? std::nullopt : std::optional<Bytes>(it->second);
    };
    PowerCuts figures;
    auto cut = [&](const std::string& change) {
        for (const auto* names : {&now, &kept}) {
            ++figures.cuts;
            std::set<std::string> all;
            for (const auto& entry : before) {
                all.insert(entry.first);
            }
            for (const auto& entry : *names) {
                all.insert(entry.first);
            }
            for (const std::string& name : all) {
                const auto it = names->find(name);
                const auto left =
                    it == names->end() ? std::nullopt : std::optional(files[it->second].synced);
                if (name.find(".cvx-") == std::string::npos && left != in(before, name) &&
                    left != in(after, name)) {
                    figures.firstLoss += figures.lost++ ? "" : name + " after " + change;
                }
            }
        }
    };
    cut("nothing");
    for (const Change& change : changes) {
        const std::string name = nameOf(change.path);
        switch (change.kind) {
            case Change::Create:
                files.push_back({});
                now[name] = files.size() - 1;
                break;
            case Change::Write:
                files[now.at(name)].written.insert(files[now.at(name)].written.end(),
                                                   change.bytes.begin(), change.bytes.end());
                break;
            case Change::Sync:
                files[now.at(name)].synced = files[now.at(name)].written;
                break;
            case Change::Rename:
                now[nameOf(change.to)] = now.at(name);
                now.erase(name);
                break;
            case Change::Remove:
                now.erase(name);
                break;
            case Change::SyncFolder:
                std::erase_if(kept, [&](const auto& entry) {
                    return fs::path(entry.first).parent_path() == fs::path(name);
                });
                for (const auto& [entry, file] : now) {
                    if (fs::path(entry).parent_path() == fs::path(name)) {
                        kept[entry] = file;
                    }
                }
                break;
        }
        cut(name);
    }
    return figures;
}

}  // namespace cvx::test
