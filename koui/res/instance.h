// koui::res::Instance: the resource instance of a window. It owns one
// resource tree and everything loaded for it: the root folder of the
// resource files, the main definition file, an optional packed archive of the
// same files (ResFile), and the GL fonts made from font files. Its getters
// resolve dotted paths from the tree's root and never fail: each has a
// default, so a missing definition never stops an element from drawing.
//
// Folder or archive. When the archive given at construction holds at least
// one entry (usingComp()), every resource is read from it and no file is
// watched. Otherwise files are read from the root folder and watched.
//
// Paths. The root folder gets a "/" appended unless it is empty or ends in
// one ("res" becomes "res/"). Resource paths are the files' paths relative to
// the root folder with "/" separators ("Images/a.png") and are matched
// exactly, case and separators included: a definition naming "Images\a.png"
// matches no file here. File paths are bytes, passed through unchanged.
//
// Load runs read, parse, preprocess, process and load, recording errors on
// the root ("class koui::res::Node / (root) : instance: Cannot process" and
// the like; see Load). A main file that cannot be read, or reads empty,
// counts as a failure to extract lines (the appended line feed would
// otherwise make an empty tree out of nothing), which is also how a reload
// treats an empty file: an editor truncating the file while saving must not
// replace a good tree by an empty one.
//
// Size limits. A definition file over kMaxDefinitionBytes (4 MiB) is
// refused: its tree takes far more memory than its text (a file of short
// tokens gives a node per two bytes, each some hundred bytes), and real
// definitions are a few hundred KiB at most. Any other resource (an image,
// a font, an archive entry) over kMaxResourceBytes (256 MiB) is refused as
// well. Both refusals log an error naming the file and the limit, and a
// reload refused this way keeps the loaded tree.
//
// Threads. Two threads use an instance. The watcher thread (owned by the UI
// instance) calls checkForResSourceChange() and checkForChangesInFolderFiles()
// a few times a second; they only read file times and add entries to
// `folderFiles`. The GL thread calls everything else, including
// CallResSourceChange() and CallForChangesInFolderFiles(), which make and
// delete GL objects. One mutex guards `folderFiles`, `fileTime` and
// `filePath`; `state` is atomic. File-system walks run outside the lock, so
// a slow disk never blocks the other thread for longer than a map merge; a
// check whose walk overlapped an update by the GL thread drops its (older)
// walk and reports nothing, leaving the change to the next poll.
//
// Lifetime. Destroy an instance on its GL thread with its context current:
// the destructor deletes the tree (each image source deletes its texture)
// and then the font list (each font deletes its GL objects). A reload
// deletes the replaced tree the same way, so no texture outlives its node.
// Elements holding Img handles or fonts of a replaced tree must look them up
// again (the UI instance tells them); fonts stay cached by (path, size) for
// the instance's life, and stale `resourceUsers` pairs find no node and are
// skipped.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <glm/vec4.hpp>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "koui/export.h"
#include "koui/family/gl_font_list.h"
#include "koui/res/img.h"
#include "koui/res/node.h"
#include "koui/res/resfile.h"

namespace koui::res {

class Color;
class ImgSrc;

class KOUI_API Instance {
public:
    // Load progress (`state`): a failed Load leaves the step that failed.
    enum State : int {
        kNew = 0,
        kStarted = 1,
        kRead = 2,
        kParsed = 3,
        kProcessing = 4,
        kLoading = 5,
        kLoaded = 100
    };

    static constexpr const char* kDefaultFontPath = "Fonts/verdana.ttf";
    static constexpr int kDefaultFontSize = 20;

    // Opens the archive at `archivePath` (missing or unreadable: no archive,
    // not an error) and, without one, records the folder's files.
    Instance(const std::string& rootFolder, const std::string& archivePath);
    ~Instance();  // on the GL thread, see the lifetime note above
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Reads `fileName` (relative to the root folder, or an archive entry)
    // and builds the tree. Steps and what a failure records on the root:
    //   1 start; without an archive a missing file returns false silently
    //   2 read; nothing read or a parse error: "instance: Cannot process source file"
    //   3 preprocess; 4 process; errors so far: "instance: Cannot process"
    //   5 load: "OnLoad()" for the failing node, then "instance: Cannot load"
    //   100 loaded
    // `forceFile` reads the main file from the folder even with an archive.
    bool Load(const std::string& fileName, bool forceFile);
    // Steps 1 to 4 of Load: the tree is built and processed but nothing is
    // loaded (no texture, no GL). True when no error was recorded; `state`
    // then stays at 4. Tools use it to check definitions without a context.
    bool LoadDefinitions(const std::string& fileName, bool forceFile);

    bool isOK() const { return state.load() == kLoaded; }
    int getState() const { return state.load(); }
    bool usingComp() const { return archive.isOK(); }
    Node* getRoot() const { return root.get(); }
    const std::string& getRootPath() const { return rootPath; }
    const std::string& getFileName() const { return fileName; }
    std::filesystem::path getFilePath() const;
    Node* findNode(const std::string& path) const { return root->findNode(path); }

    // Getters from the root, by dotted path.
    bool getvalue(std::string& out, const std::string& path) const;
    bool getvalue(std::string& out, const std::string& path, int index) const;  // piece `index` of "a,b,c"
    const NodeText& getvalue(const std::string& path) const;  // a shared empty string when missing
    std::string value(const std::string& path) const;
    std::string value(const std::string& path, const std::string& def) const;
    int value1i(const std::string& path, int def) const;      // like std::stoi; def on failure
    float value1f(const std::string& path, float def) const;  // like std::stof; def on failure
    // Vector forms (unlike Node's): `out` is filled with `count` copies of
    // `def` before the lookup, grows with `def` to the number of pieces, and
    // the first `count` entries (all pieces when count < 1) take the pieces
    // (atoi / atof) or `def`. So a missing node leaves `count` defaults and
    // returns false; "1,2,3,4,5" with count 3 and def 9 gives 1, 2, 3, 9, 9.
    bool valueiv(std::vector<int>& out, const std::string& path, int count, int def) const;
    bool valuefv(std::vector<float>& out, const std::string& path, int count, float def) const;
    // Array forms: exactly Node::valueiv / valuefv on the root.
    bool valueiv(int* out, const std::string& path, int count, int def) const;
    bool valuefv(float* out, const std::string& path, int count, float def) const;

    // Typed lookups with one step of indirection: the node at `path` if it
    // is a Color (Font), else the node its value names from the root if that
    // is one. Colours fall back to opaque white (Node::color gives
    // transparent black instead).
    float* color(const std::string& path);
    glm::vec4 colorvec4(const std::string& path);
    // The Color node behind `color`, or null when there is none (for callers
    // that keep their own value instead of taking the default).
    Color* findColor(const std::string& path) const;
    // The GL font of the Font node found, else the default font
    // ("Fonts/verdana.ttf" at 20 pixels); null only when that cannot be read
    // either.
    ko::gl::Font* font(const std::string& path);
    // The image source or section at `path` (or named by its value); an
    // empty Img otherwise.
    Img image(const std::string& path) const;
    // The font made for (fontPath, size), made now from the file if there is
    // none yet; null when the file cannot be read or is no font (and then
    // without another try until the resource folder changes).
    ko::gl::Font* getGLFont(const std::string& fontPath, int size);
    // Reads the font file and adds a font to the list without looking for
    // one first (the list keeps one font per key and returns that one).
    ko::gl::Font* loadFont(const std::string& fontPath, int size);
    // image(path).draw(...) with offsets 0, 0 and autoSize; false when the
    // path names no image.
    bool drawImg(const std::string& path, const float* mvp, float x, float y, float w, float h,
                 const float* color, int flags, int version, int alignX, int alignY, float scale);

    static constexpr uint64_t kMaxDefinitionBytes = uint64_t{4} << 20;
    static constexpr uint64_t kMaxResourceBytes = ResFile::kMaxReadBytes;

    // Resource reading. From the archive when it is in use and `forceFile`
    // is false; otherwise from rootPath + path, recording (node path, path)
    // in resourceUsers when `node` is given. Returns the size read, 0 when
    // the resource is missing, unreadable or empty (`out` then empty).
    uint64_t loadResource(ImgSrc* node, std::vector<uint8_t>& out, const std::string& path, bool forceFile);
    uint64_t loadResourceFromCompilation(std::vector<uint8_t>& out, const std::string& path);
    static uint64_t loadResourceFromExternal(std::vector<uint8_t>& out, const std::string& path);
    // Decodes an image file's bytes to pixels. `extension` is the file's
    // extension without its dot, already lowered by the caller (image sources
    // pass "png" for "Images/A.PNG"); only "png" is accepted, compared exactly.
    // On success `pixels` holds width × height RGBA pixels, top row first, and
    // `bpp` is 32. On failure false with one message saying why.
    static bool decodeImage(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
                            const std::vector<uint8_t>& data, const std::string& extension);
    // (node path, resource path) pairs of the image sources that read files.
    const std::vector<std::pair<std::string, std::string>>& getResourceUsers() const { return resourceUsers; }

    // Change detection: safe to call from the watcher thread while the GL
    // thread reloads. Both are false with an archive or before state 100.
    // The main file's write time differs from the one last read (a
    // file-system error counts as no change).
    bool checkForResSourceChange();
    // Some recorded file vanished or has a new write time. Entries seen for
    // the first time are recorded, not reported.
    bool checkForChangesInFolderFiles();

    // Reloads on the GL thread; both do nothing with an archive or before
    // state 100. CallResSourceChange rebuilds the tree from a changed main
    // file and installs it only when it has no errors; either way the file's
    // time is remembered, so a faulty file is not parsed again until it
    // changes once more. CallForChangesInFolderFiles propagates each changed
    // file to the image sources that read it and forgets vanished entries;
    // when the folder cannot be read it says so once through appmsg.
    void CallResSourceChange();
    void CallForChangesInFolderFiles();
    // Calls OnResourceChange(flag, resourcePath) on each node recorded as a
    // user of exactly `resourcePath`.
    void PropagateFileChange(bool flag, const std::string& resourcePath);
    // Records every entry below the root folder with its write time.
    void populateFolderFiles();
    // Packs every regular file below the root folder (in the order of
    // `folderFiles`) into a new archive at `archivePath`, named by resource
    // path. False when the archive is in use or writing fails. An entry whose
    // status cannot be queried ends the compile with a message (and false)
    // instead of letting the file-system exception leave the GL thread.
    bool Compile(const std::filesystem::path& archivePath);

    // Number of entries in folderFiles (for tests and tools).
    size_t folderFileCount() const;

private:
    using FileTime = std::filesystem::file_time_type;
    // One walk of the root folder: each entry's path and write time. False
    // when the folder cannot be walked.
    bool walkFolder(std::vector<std::pair<std::string, FileTime>>& out) const;
    // Steps 2 to 5 of Load into `target`. With `reload`, `state` is left
    // alone and the "instance:" messages are not recorded: the failing
    // step's reason goes to `reloadFailure` instead. `load` false stops after
    // processing.
    bool loadImpl(const std::string& name, bool forceFile, bool load);
    bool buildTree(Node& target, bool forceFile, bool reload, bool load,
                   std::string* reloadFailure = nullptr);
    void setState(int s) { state.store(s); }
    std::unique_ptr<Node> newRoot();
    template <class T>
    T* findTyped(const std::string& path) const;

    // Fields, in this order.
    std::unique_ptr<Node> root;
    float defaultColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::string rootPath;
    std::string fileName;
    FileTime fileTime{};             // guarded by folderLock
    std::filesystem::path filePath;  // guarded by folderLock
    std::atomic<int> state{kNew};
    std::map<std::string, FileTime> folderFiles;  // full path -> write time; guarded by folderLock
    std::vector<std::pair<std::string, std::string>> resourceUsers;
    ko::gl::FontList fonts;
    // Fonts that could not be made, with the value of folderChanges at the
    // try; guarded by folderLock.
    // By path, then size (looked up per element and frame without copying
    // the path).
    std::map<std::string, std::map<int, uint64_t>, std::less<>> missingFonts;
    ResFile archive;

    mutable std::mutex folderLock;
    uint64_t folderGeneration = 0;     // guarded by folderLock; counts list updates of the GL thread
    uint64_t folderChanges = 0;        // guarded by folderLock; counts entries added, updated or dropped
    bool folderErrorReported = false;  // GL thread only
};

}  // namespace koui::res
