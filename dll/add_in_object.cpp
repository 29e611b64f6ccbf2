#include "dll/add_in_object.h"

#include "addin/connect.h"
#include "legacy_ui/legacy_ui.h"

namespace sw {

HRESULT CreateAddInObject(IUnknown* outer, REFIID iid, void** object) noexcept {
    return Connect::Create(outer, iid, object, &CreateLegacySurface);
}

} // namespace sw
