#pragma once

namespace Stimora {

class Image;

namespace IMAGE_FORMATS {

/// The abstract bridge between an Image and one image-file format. A bridge is made for one
/// load or save and destroyed right after it; it may keep the file open until then.
class IMAGE_FORMAT {
public:
    /// Closes whatever the bridge still holds open.
    virtual ~IMAGE_FORMAT();
    /// Reads the file at path (already expanded) into image, replacing its size and layout.
    virtual void load(const char* path, Image& image) = 0;
    /// Writes image to the file at path (already expanded), replacing any file of that name.
    virtual void save(const char* path, Image& image) = 0;
};

} // namespace IMAGE_FORMATS
} // namespace Stimora
