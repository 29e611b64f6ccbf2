#include "sim/outlook/command_bar_part.h"

#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

DispatchObject::Handler CommandBarPart::Live(Handler handler) {
    return [this, handler = std::move(handler)](Invocation& call) {
        return removed() ? kErrorRemovedObject : handler(call);
    };
}

void CommandBarPart::AddLiveProperty(std::wstring name, Handler get) {
    AddProperty(std::move(name), Live(std::move(get)));
}

void CommandBarPart::AddLivePutProperty(std::wstring name, Handler put) {
    AddPutProperty(std::move(name), Live(std::move(put)));
}

void CommandBarPart::AddLiveMethod(std::wstring name, size_t minArgs, size_t maxArgs,
                                   Handler call) {
    AddMethod(std::move(name), minArgs, maxArgs, Live(std::move(call)));
}

void CommandBarPart::AddTextField(const wchar_t* name, std::wstring& field) {
    AddLiveProperty(name, [&field](Invocation& call) {
        call.ReturnText(field);
        return S_OK;
    });
    AddLivePutProperty(name, [&field](Invocation& call) {
        std::wstring value;
        HRESULT hr = call.GetText(Invocation::kPutValue, value);
        if (SUCCEEDED(hr))
            field = std::move(value);
        return hr;
    });
}

void CommandBarPart::AddLongField(const wchar_t* name, long& field) {
    AddLiveProperty(name, [&field](Invocation& call) {
        call.ReturnLong(field);
        return S_OK;
    });
    AddLivePutProperty(
        name, [&field](Invocation& call) { return call.GetLong(Invocation::kPutValue, field); });
}

void CommandBarPart::AddBoolField(const wchar_t* name, bool& field) {
    AddLiveProperty(name, [&field](Invocation& call) {
        call.ReturnBool(field);
        return S_OK;
    });
    AddLivePutProperty(
        name, [&field](Invocation& call) { return call.GetBool(Invocation::kPutValue, field); });
}

} // namespace sw::sim
