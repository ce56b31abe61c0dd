// ImgSrc: an image source, a node with the flag `imgsrc` naming a PNG file.
//
//     skin { imgsrc  src: "Images/skin.png"  grid: 8  mipmaps: 4 }
//
// OnProcess reads the grid (cell size in pixels, "grid: 8" or "grid: 8,4")
// and the path; OnLoad decodes the file and uploads it as one immutable 2D
// texture with mipmaps. When the file changes on disk the instance calls
// OnResourceChange(false, path), which loads it again: a file of the same
// pixel size refills the texture in place, one of another size gets a new
// texture (immutable storage cannot change its size), and the old one is
// deleted. Sections (ImgSection) always draw the current texture. A reload
// that fails keeps the texture and prints the file and the error.
//
// Messages recorded on the node: "imgsrc: Invalid grid size (%dx%d)",
// "imgsrc: No path", "Instance is nullptr", "ImgPath(%s) not found",
// "Cannot load resource (%s)", "Cannot decode source (%s) of extension (%s)",
// "Wrong pixel resolution %dx%d", "Unsopported pixel format (bpp=%d)" (the
// word is spelled so in the messages users already match on).
//
// GL: textures are made and deleted on the GL thread with its context
// current; the destructor deletes the texture, so a tree holding image
// sources is destroyed there too. `mipmaps` is clamped to the levels the
// image size allows, since immutable storage refuses more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "koui/export.h"
#include "koui/res/image_base.h"

namespace koui::res {

class KOUI_API ImgSrc : public ImageBase {
public:
    explicit ImgSrc(std::string nodeName) : ImageBase(std::move(nodeName)) {}
    ~ImgSrc() override;

    bool OnProcess() override;
    bool OnLoad() override { return LoadImg(); }
    // With `flag` false: LoadImg again. With true: false, nothing done.
    bool OnResourceChange(bool flag, const std::string& changedPath) override;
    // Width, height and bits per pixel are all at least 1.
    bool isOK() override { return pixSize[0] >= 1 && pixSize[1] >= 1 && pixSize[2] >= 1; }
    unsigned getTexID() override { return texture; }
    const int* getSrcPixSize() override { return pixSize; }
    const int* getSectionSize() override { return pixSize; }

    static bool isClass(const Node* node) { return node && node->hasFlag("imgsrc"); }

    // Reads, decodes and uploads the file; see the class comment.
    bool LoadImg();
    // The reading half of LoadImg, without GL: reads the file through the
    // instance (recording this node as its user), decodes it and checks the
    // result, recording the same messages. On success `pixels` holds the
    // image and pixSize, type and mipmaps are set. Tools use it to check
    // images without a GL context.
    bool LoadPixels(std::vector<uint8_t>& pixels);
    // Deletes the texture (GL context current); the node keeps its sizes.
    void releaseTexture();

    // Fields, in this order.
    std::string path;
    int grid[2] = {1, 1};
    int pixSize[3] = {0, 0, 0};  // width, height, bits per pixel
    unsigned texture = 0;        // GL texture name, 0 when none

private:
    bool upload(const std::vector<uint8_t>& pixels);
    // Size and format of the storage `texture` was allocated with.
    int storage_[4] = {0, 0, 0, 0};  // width, height, bpp, levels
};

}  // namespace koui::res
