#include "koui/res/instance.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "koui/family/appmsg.h"
#include "koui/family/png_decoder.h"
#include "koui/res/color.h"
#include "koui/res/font.h"
#include "koui/res/imgsection.h"
#include "koui/res/imgsrc.h"
#include "koui/res/srcfile.h"
#include "koui/res/value_text.h"

using namespace ko::log;

namespace koui::res {

namespace fs = std::filesystem;

namespace {

const NodeText kEmpty;

// The whole file at `path` into `out`; its size, 0 when it is missing, not a
// regular file, unreadable, empty or larger than `limit` (which is logged
// and also told through `tooLarge`).
uint64_t readWholeFile(const fs::path& path, std::vector<uint8_t>& out, uint64_t limit,
                       bool* tooLarge = nullptr) {
    out.clear();
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return 0;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size == 0) return 0;
    if (size > limit) {
        if (tooLarge) *tooLarge = true;
        appmsg("[ERROR] %s: %ju bytes, more than the limit of %ju bytes; not read", path.c_str(), size,
               static_cast<uintmax_t>(limit));
        return 0;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    out.reserve(size + 1);  // the loader appends a line break to definition files
    out.resize(size);
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
    // A file that shrank since its size was read gives what was there.
    out.resize(static_cast<size_t>(in.gcount()));
    return out.size();
}

template <class Out, class Convert>
bool instanceVector(const Node* root, std::vector<Out>& out, const std::string& path, int count, Out def,
                    Convert convert) {
    out.clear();
    if (count > 0) out.assign(static_cast<size_t>(count), def);
    const Node* node = root->findNode(path);
    if (!node) return false;
    const ko::util::StrPar pieces = node->splitValue(',');
    if (static_cast<size_t>(pieces.count()) > out.size())
        out.resize(static_cast<size_t>(pieces.count()), def);
    if (count < 1) count = pieces.count();
    for (int i = 0; i < count; ++i) {
        const std::string* piece = pieces.at(i);
        out[static_cast<size_t>(i)] = piece ? convert(piece->c_str()) : def;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------- construction

Instance::Instance(const std::string& rootFolder, const std::string& archivePath)
    : root(nullptr), rootPath(rootFolder) {
    root = newRoot();
    if (!rootPath.empty() && rootPath.back() != '/') rootPath.push_back('/');
    if (!archivePath.empty()) archive.OpenFromFile(archivePath);
    populateFolderFiles();
}

Instance::~Instance() {
    // The tree first (image sources delete their textures), then the fonts;
    // both need the GL context of this instance's thread.
    root.reset();
    fonts.clear();
}

std::unique_ptr<Node> Instance::newRoot() {
    auto node = std::make_unique<Node>("root");
    node->setInstance(this);
    return node;
}

fs::path Instance::getFilePath() const {
    std::lock_guard guard(folderLock);
    return filePath;
}

size_t Instance::folderFileCount() const {
    std::lock_guard guard(folderLock);
    return folderFiles.size();
}

// ---------------------------------------------------------------- loading

bool Instance::Load(const std::string& name, bool forceFile) {
    return loadImpl(name, forceFile, true);
}

bool Instance::LoadDefinitions(const std::string& name, bool forceFile) {
    return loadImpl(name, forceFile, false);
}

bool Instance::loadImpl(const std::string& name, bool forceFile, bool load) {
    setState(kStarted);
    fileName = name;
    root = newRoot();  // a second Load starts from an empty tree
    if (!usingComp()) {
        const fs::path path = rootPath + fileName;
        std::error_code ec;
        const FileTime time = fs::last_write_time(path, ec);
        if (ec) return false;  // missing main file: no message, the host reports it
        std::lock_guard guard(folderLock);
        filePath = path;
        fileTime = time;
    }
    if (!buildTree(*root, forceFile, false, load)) return false;
    if (load) setState(kLoaded);
    return true;
}

bool Instance::buildTree(Node& target, bool forceFile, bool reload, bool load, std::string* reloadFailure) {
    auto fail = [&](const char* message, const char* reloadReason) {
        if (!reload) target.error("%s", message);
        if (reload && reloadFailure) *reloadFailure = reloadReason;
        return false;
    };
    std::vector<uint8_t> data;
    bool tooLarge = false;
    const uint64_t size = (usingComp() && !forceFile && !reload)
                              ? archive.ReadEntry(data, fileName)
                              : readWholeFile(rootPath + fileName, data, kMaxDefinitionBytes, &tooLarge);
    if (!reload) setState(kRead);
    if (tooLarge || size > kMaxDefinitionBytes)
        return fail("instance: Cannot process source file", "the file is larger than the limit of 4 MiB");
    if (size == 0) return fail("instance: Cannot process source file", "the file is empty or cannot be read");
    data.push_back(10);
    SrcFile src;
    if (!src.Process(&target, std::move(data)))
        return fail("instance: Cannot process source file", "the file cannot be parsed");
    if (!reload) setState(kParsed);
    target.Preprocess(0);
    if (!reload) setState(kProcessing);
    // The root's own Process and Load are the documented steps: its hook,
    // then the children's subtrees in order, in one walk each. A failing
    // root OnLoad records "OnLoad()" on the root before the loader's message.
    target.Process();
    if (!target.errors.empty())
        return fail("instance: Cannot process", "the definitions cannot be processed");
    if (!load) return true;
    if (!reload) setState(kLoading);
    if (!target.Load()) return fail("instance: Cannot load", "the resources cannot be loaded");
    return true;
}

// ---------------------------------------------------------------- getters

bool Instance::getvalue(std::string& out, const std::string& path) const {
    const Node* node = root->findNode(path);
    if (!node) return false;
    out = node->valueText;
    return true;
}

bool Instance::getvalue(std::string& out, const std::string& path, int index) const {
    const Node* node = root->findNode(path);
    if (!node || index < 0) return false;
    const ko::util::StrPar pieces = node->splitValue(',');
    const std::string* piece = pieces.at(index);
    if (!piece) return false;
    out = *piece;
    return true;
}

const NodeText& Instance::getvalue(const std::string& path) const {
    const Node* node = root->findNode(path);
    return node ? node->valueText : kEmpty;
}

std::string Instance::value(const std::string& path) const {
    return getvalue(path);
}

std::string Instance::value(const std::string& path, const std::string& def) const {
    const Node* node = root->findNode(path);
    return node ? node->valueText.str() : def;
}

int Instance::value1i(const std::string& path, int def) const {
    const Node* node = root->findNode(path);
    int out = def;
    return node && valueToInt(node->valueText, out) ? out : def;
}

float Instance::value1f(const std::string& path, float def) const {
    const Node* node = root->findNode(path);
    float out = def;
    return node && valueToFloat(node->valueText, out) ? out : def;
}

bool Instance::valueiv(std::vector<int>& out, const std::string& path, int count, int def) const {
    return instanceVector<int>(root.get(), out, path, count, def, [](const char* s) { return std::atoi(s); });
}

bool Instance::valuefv(std::vector<float>& out, const std::string& path, int count, float def) const {
    return instanceVector<float>(root.get(), out, path, count, def,
                                 [](const char* s) { return static_cast<float>(std::atof(s)); });
}

bool Instance::valueiv(int* out, const std::string& path, int count, int def) const {
    return root->valueiv(out, path, count, def);
}

bool Instance::valuefv(float* out, const std::string& path, int count, float def) const {
    return root->valuefv(out, path, count, def);
}

template <class T>
T* Instance::findTyped(const std::string& path) const {
    Node* node = root->findNode(path);
    if (!node) return nullptr;
    if (typeid(*node) == typeid(T)) return static_cast<T*>(node);
    node = root->findNode(node->valueText);
    return node && typeid(*node) == typeid(T) ? static_cast<T*>(node) : nullptr;
}

Color* Instance::findColor(const std::string& path) const {
    return findTyped<Color>(path);
}

float* Instance::color(const std::string& path) {
    Color* found = findColor(path);
    return found ? found->rgba : defaultColor;
}

glm::vec4 Instance::colorvec4(const std::string& path) {
    const float* c = color(path);
    return {c[0], c[1], c[2], c[3]};
}

ko::gl::Font* Instance::font(const std::string& path) {
    ko::gl::Font* fallback = getGLFont(kDefaultFontPath, kDefaultFontSize);
    const Font* node = findTyped<Font>(path);
    if (!node) return fallback;
    ko::gl::Font* made = getGLFont(node->path, node->size);
    return made ? made->withRendering(node->rendering) : fallback;
}

Img Instance::image(const std::string& path) const {
    if (path.empty()) return {};
    auto asImage = [](Node* node) -> ImageBase* {
        if (node && (typeid(*node) == typeid(ImgSrc) || typeid(*node) == typeid(ImgSection)))
            return static_cast<ImageBase*>(node);
        return nullptr;
    };
    Node* node = root->findNode(path);
    if (!node) return {};
    if (ImageBase* found = asImage(node)) return Img(found);
    return Img(asImage(root->findNode(node->valueText)));
}

ko::gl::Font* Instance::getGLFont(const std::string& fontPath, int size) {
    if (ko::gl::Font* found = fonts.find(fontPath, size)) return found;
    // Every font getter asks for the default font first, which many
    // resource folders lack; looking for the file again on each call would
    // cost a failed file lookup per element and frame. A font that could not
    // be made is tried again only once the folder list has changed (a file
    // came, went or was rewritten).
    {
        std::lock_guard guard(folderLock);
        const auto path = missingFonts.find(fontPath);
        if (path != missingFonts.end()) {
            const auto missing = path->second.find(size);
            if (missing != path->second.end() && missing->second == folderChanges) return nullptr;
        }
    }
    // Another size of a file already read is made from the bytes in memory.
    ko::gl::Font* made = fonts.addSize(fontPath, size);
    if (!made) made = loadFont(fontPath, size);
    std::lock_guard guard(folderLock);
    if (!made)
        missingFonts[fontPath].insert_or_assign(size, folderChanges);
    else if (const auto path = missingFonts.find(fontPath); path != missingFonts.end())
        path->second.erase(size);
    return made;
}

ko::gl::Font* Instance::loadFont(const std::string& fontPath, int size) {
    std::vector<uint8_t> bytes;
    if (loadResource(nullptr, bytes, fontPath, false) == 0) return nullptr;
    return fonts.add(std::move(bytes), fontPath, size);
}

bool Instance::drawImg(const std::string& path, const float* mvp, float x, float y, float w, float h,
                       const float* color, int flags, int version, int alignX, int alignY, float scale) {
    const Img img = image(path);
    if (!img.isValid()) return false;
    return img.draw(mvp, x, y, w, h, color, flags, version, alignX, alignY, scale, 0.0f, 0.0f, true);
}

// ---------------------------------------------------------------- resources

uint64_t Instance::loadResource(ImgSrc* node, std::vector<uint8_t>& out, const std::string& path,
                                bool forceFile) {
    if (usingComp() && !forceFile) return archive.ReadEntry(out, path);
    if (node) {
        std::pair<std::string, std::string> user(node->getPath(), path);
        bool known = false;
        for (const auto& existing : resourceUsers) known = known || existing == user;
        if (!known) resourceUsers.push_back(std::move(user));
    }
    return readWholeFile(rootPath + path, out, kMaxResourceBytes);
}

uint64_t Instance::loadResourceFromCompilation(std::vector<uint8_t>& out, const std::string& path) {
    out.clear();
    return usingComp() ? archive.ReadEntry(out, path) : 0;
}

uint64_t Instance::loadResourceFromExternal(std::vector<uint8_t>& out, const std::string& path) {
    return readWholeFile(path, out, kMaxResourceBytes);
}

bool Instance::decodeImage(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
                           const std::vector<uint8_t>& data, const std::string& extension) {
    if (extension != "png") {
        pixels.clear();
        appmsg("[ERROR] decodeImage: unsupported image type (%s)", extension.c_str());
        return false;
    }
    return ko::png::decodePng(pixels, width, height, bpp, data.data(), data.size());
}

// ---------------------------------------------------------------- changes

bool Instance::walkFolder(std::vector<std::pair<std::string, FileTime>>& out) const {
    out.clear();
    std::error_code ec;
    fs::recursive_directory_iterator it(rootPath, fs::directory_options::skip_permission_denied, ec);
    if (ec) return false;
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return false;
        std::error_code timeError;
        const FileTime time = it->last_write_time(timeError);
        // An entry deleted between listing and stat is simply not there.
        if (!timeError) out.emplace_back(it->path().native(), time);
    }
    return !ec;
}

void Instance::populateFolderFiles() {
    if (usingComp() || rootPath.empty()) return;
    std::error_code ec;
    if (!fs::exists(rootPath, ec)) return;
    std::vector<std::pair<std::string, FileTime>> entries;
    walkFolder(entries);
    std::lock_guard guard(folderLock);
    for (auto& [path, time] : entries) folderFiles.insert_or_assign(std::move(path), time);
    ++folderGeneration;
    ++folderChanges;
}

bool Instance::checkForResSourceChange() {
    if (usingComp() || state.load() != kLoaded) return false;
    fs::path path;
    FileTime known;
    {
        std::lock_guard guard(folderLock);
        path = filePath;
        known = fileTime;
    }
    std::error_code ec;
    const FileTime time = fs::last_write_time(path, ec);
    return !ec && time != known;
}

bool Instance::checkForChangesInFolderFiles() {
    if (usingComp() || rootPath.empty() || state.load() != kLoaded) return false;
    uint64_t generation = 0;
    {
        std::lock_guard guard(folderLock);
        generation = folderGeneration;
    }
    std::vector<std::pair<std::string, FileTime>> entries;
    walkFolder(entries);  // a folder that cannot be read has no entries: every recorded one vanished
    std::lock_guard guard(folderLock);
    // The GL thread brought the list up to date while this walk ran; merging
    // the older walk would bring back entries it has just forgotten. The
    // next poll looks again.
    if (generation != folderGeneration) return false;
    // Recorded entries found again; fewer than recorded means one vanished.
    size_t seen = 0;
    const size_t recorded = folderFiles.size();
    bool changed = false;
    for (auto& [path, time] : entries) {
        const auto [it, added] = folderFiles.try_emplace(std::move(path), time);
        if (added) {
            ++folderChanges;
            continue;
        }
        ++seen;
        changed = changed || it->second != time;
    }
    return changed || seen < recorded;
}

void Instance::CallResSourceChange() {
    if (usingComp() || state.load() != kLoaded) return;
    const fs::path path = getFilePath();
    std::error_code ec;
    const FileTime time = fs::last_write_time(path, ec);
    {
        std::lock_guard guard(folderLock);
        if (ec || time == fileTime) return;
    }
    std::unique_ptr<Node> fresh = newRoot();
    std::string failure;
    if (buildTree(*fresh, true, true, true, &failure) && fresh->errors.empty()) {
        root = std::move(fresh);  // old tree deleted here
    } else {
        // The faulty tree is dropped, but whoever edits the file while the
        // application runs needs to know why the change does not show, and
        // where: its errors are printed as the first load prints them, and a
        // failure that recorded none (an empty file) is named.
        appmsg("[ERROR] Reload of %s failed; the loaded resources stay", fileName.c_str());
        if (fresh->errors.empty() && !failure.empty())
            appmsg("[ERROR] Reload of %s: %s", fileName.c_str(), failure.c_str());
        for (size_t i = 0; i < fresh->errors.size(); ++i)
            appmsg("[ERROR] %2d : Line %4d = \"%s\"", static_cast<int>(i),
                   fresh->errors[i].line < 0 ? 0 : fresh->errors[i].line + 1, fresh->errors[i].text.c_str());
    }
    std::lock_guard guard(folderLock);
    fileTime = time;
}

void Instance::CallForChangesInFolderFiles() {
    // Without a root folder nothing was recorded (populateFolderFiles), so
    // there is nothing to watch either.
    if (usingComp() || rootPath.empty() || state.load() != kLoaded) return;
    std::vector<std::pair<std::string, FileTime>> entries;
    const bool walked = walkFolder(entries);
    if (!walked && !folderErrorReported)
        appmsg("[ERROR] instance: cannot read the resource folder (%s); keeping the loaded resources",
               rootPath.c_str());
    folderErrorReported = !walked;
    std::vector<std::string> changed;
    {
        std::lock_guard guard(folderLock);
        std::map<std::string, FileTime> now;
        for (auto& [path, time] : entries) {
            auto [it, added] = folderFiles.try_emplace(path, time);
            if (!added && it->second != time) {
                it->second = time;
                changed.push_back(path.substr(std::min(rootPath.size(), path.size())));
            }
            now.emplace(std::move(path), time);
        }
        // Entries whose files are gone are forgotten, without propagating.
        std::erase_if(folderFiles, [&](const auto& entry) { return !now.contains(entry.first); });
        ++folderGeneration;
        ++folderChanges;
    }
    for (const std::string& resourcePath : changed) PropagateFileChange(false, resourcePath);
}

void Instance::PropagateFileChange(bool flag, const std::string& resourcePath) {
    if (usingComp()) return;
    // The node paths first: a reloading node may record itself again.
    std::vector<std::string> users;
    for (const auto& [nodePath, path] : resourceUsers)
        if (path == resourcePath) users.push_back(nodePath);
    for (const std::string& nodePath : users)
        if (Node* node = root->findNode(nodePath)) node->OnResourceChange(flag, resourcePath);
}

bool Instance::Compile(const fs::path& archivePath) {
    if (usingComp()) return false;
    std::vector<std::string> paths;
    {
        std::lock_guard guard(folderLock);
        for (const auto& entry : folderFiles) paths.push_back(entry.first);
    }
    ResFile out;
    if (!out.BeginCreate(archivePath)) return false;
    try {
        for (const std::string& path : paths) {
            // Querying the status throws the standard file-system error when
            // the entry cannot be queried (a vanished entry is no error).
            if (!fs::directory_entry(path).is_regular_file()) continue;
            std::error_code ec;
            if (fs::equivalent(path, archivePath, ec)) continue;  // never pack the archive into itself
            std::vector<uint8_t> data;
            readWholeFile(path, data, kMaxResourceBytes);
            if (!out.Feed(data, path.substr(std::min(rootPath.size(), path.size())))) return false;
        }
    } catch (const fs::filesystem_error& e) {
        appmsg("[ERROR] instance: Compile(%s) stopped: %s", archivePath.c_str(), e.what());
        return false;
    }
    return out.Finish();
}

}  // namespace koui::res
