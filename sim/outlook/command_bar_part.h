// Base of the simulated command-bar objects (bars, control lists, controls):
// every member of an object whose bar or control the host has removed fails
// with kErrorRemovedObject, as Office's do. Event connections are not members
// and keep working, so a sink can still be unadvised from a removed control.
#pragma once

#include "sim/outlook/dispatch_object.h"

#include <string>

namespace sw::sim {

class CommandBarPart : public DispatchObject {
protected:
    using DispatchObject::DispatchObject;

    // True once the host has removed what the object stands for.
    virtual bool removed() const noexcept = 0;

    void AddLiveProperty(std::wstring name, Handler get);
    void AddLivePutProperty(std::wstring name, Handler put);
    void AddLiveMethod(std::wstring name, size_t minArgs, size_t maxArgs, Handler call);
    // A get and put property over a field of the model, which must outlive
    // the object.
    void AddTextField(const wchar_t* name, std::wstring& field);
    void AddLongField(const wchar_t* name, long& field);
    void AddBoolField(const wchar_t* name, bool& field);

private:
    Handler Live(Handler handler);
};

} // namespace sw::sim
