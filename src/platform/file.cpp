// The parts of file_Class that are the same on every system: the name and
// its split into directory, name and extension.
#include "platform/file.h"

namespace tqxml {

file_Class::file_Class(const Str& path) {
    SetName(path);
}

void file_Class::SetName(const Str& path) {
    if (path.IsEmpty()) return;
    Str name(path);
    name.ReplaceChar('/', '\\');
    const int32_t slash = name.FindLast('\\');
    Str last;
    if (slash < name.Length()) {
        directory_ = name.Left(slash + 1);
        last = name.From(slash + 1);
    } else {
        directory_ = Str();
        last = name;
    }
    // The extension follows the last dot of the final component. A dot that
    // opens the component (".profile") or closes it ("name.") separates no
    // extension: such names stay whole, so that FullName gives back exactly
    // the file that was named.
    const int32_t dot = last.FindLast('.');
    if (dot > 0 && dot < last.Length() - 1) {
        name_ = last.Left(dot);
        extension_ = last.From(dot + 1);
    } else {
        name_ = last;
        extension_ = Str();
    }
}

Str file_Class::FullName() const {
    if (name_.IsEmpty() && extension_.IsEmpty()) return Str();
    Str full(directory_);
    full.Append(name_);
    if (!extension_.IsEmpty()) {
        full.Append('.');
        full.Append(extension_);
    }
    return full;
}

bool file_Class::Replace() {
    Delete();
    const uint32_t refused = lastError_;
    if (Create()) return true;
    // A file that could not be removed is why none could be made.
    if (refused != 0) lastError_ = refused;
    return false;
}

void file_Class::Adopt(intptr_t handle, uint32_t mode, bool stream) {
    handle_ = handle;
    writeError_ = 0;
    mode_ = mode;
    isStdOut_ = stream;
    recordedSize_ = 0;
    sizeOutOfRange_ = false;
    if (!stream) TakeSizeFromSystem(__LINE__);
}

} // namespace tqxml
