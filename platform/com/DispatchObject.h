// A base class for automation objects written in C++.
//
// A class derives from DispatchObject, names its members in a static table
// and writes one handler per method, property get and property put:
//
//     class Font : public DispatchObject {
//     public:
//         Font() : DispatchObject("Font") {}
//     private:
//         const DispatchTable& Table() const override
//         {
//             static const DispatchTable table = DispatchTable::Of<Font>({
//                 {"Name", {.get = &Font::GetName, .put = &Font::PutName}},
//                 {"Size", {.get = &Font::GetSize, .put = &Font::PutSize}},
//                 {"Item", {.method = &Font::Item}},
//             }, "Item");                     // optional default member
//             return table;
//         }
//         HRESULT GetName(DispatchCall& call) { return call.Return(name_); }
//         HRESULT PutName(DispatchCall& call)
//         {
//             std::string name;
//             if (HRESULT hr = call.ValueString(&name); FAILED(hr)) return hr;
//             if (name.empty()) return call.Fail(E_INVALIDARG, "Font name is empty.");
//             name_ = name;
//             return S_OK;
//         }
//         std::string name_;
//     };
//
// Handlers see the arguments in source order (`Characters(3, 5)`: Arg(0) is
// 3); a put's new value is Value(), not an argument. The typed readers
// convert like the script does and return DISP_E_TYPEMISMATCH or
// DISP_E_OVERFLOW; a missing optional argument reads as !Has(i).
// Call.Fail(hr, text) gives the caller DISP_E_EXCEPTION with an EXCEPINFO
// holding the text, the object's source name and hr as scode: the script's
// Err.Description shows the text and Err.Number the hr (codes the language
// knows become its own numbers: E_INVALIDARG 5, DISP_E_TYPEMISMATCH 13,
// DISP_E_BADINDEX 9, DISP_E_OVERFLOW 6; MAKE_HRESULT(1, FACILITY_CONTROL, n) is n).
//
// Dispatch rules: a call with DISPATCH_METHOD goes to .method when there is
// one, else to .get (a script calls `obj.Count` either way); PROPERTYGET goes
// to .get, else .method; PROPERTYPUT and PROPERTYPUTREF go to .put. A member
// without the needed handler gives DISP_E_MEMBERNOTFOUND, a name that is not
// in the table DISP_E_UNKNOWNNAME.
//
// Lifetime: a new object holds one reference, owned by whoever made it.
// Returning a fresh object from a handler: call.ReturnNew(new Child(...))
// adopts that reference; call.Return(existingObject) adds one.
#pragma once

#include "platform/com/Dispatch.h"

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class DispatchObject;

class DispatchCall {
public:
    DispatchCall(WORD flags, DISPPARAMS* params, VARIANT* result);

    WORD Flags() const { return flags_; }
    bool IsPut() const { return (flags_ & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }

    // Positional arguments, in source order, references followed.
    size_t Count() const { return args_.size(); }
    bool Has(size_t i) const;
    const VARIANT& Arg(size_t i) const;
    // DISP_E_BADPARAMCOUNT unless min <= Count() <= max.
    HRESULT Expect(size_t min, size_t max) const;
    HRESULT Int(size_t i, LONG* out) const;
    HRESULT Double(size_t i, double* out) const;
    HRESULT Bool(size_t i, bool* out) const;
    HRESULT String(size_t i, std::string* utf8) const;
    // Borrowed: valid for the call. DISP_E_TYPEMISMATCH unless an object (or Nothing: null).
    HRESULT Object(size_t i, IDispatch** out) const;

    // The value of a property put.
    const VARIANT& Value() const;
    HRESULT ValueInt(LONG* out) const;
    HRESULT ValueDouble(double* out) const;
    HRESULT ValueBool(bool* out) const;
    HRESULT ValueString(std::string* utf8) const;
    HRESULT ValueObject(IDispatch** out) const;

    // Results; each returns S_OK. Without a result slot the value is dropped.
    HRESULT Return(LONG value);
    HRESULT Return(double value);
    HRESULT ReturnBool(bool value);
    HRESULT Return(std::string_view utf8);
    HRESULT Return(const char* utf8) { return Return(std::string_view(utf8)); }
    HRESULT Return(const std::string& utf8) { return Return(std::string_view(utf8)); }
    HRESULT Return(IDispatch* object);     // adds a reference; null is Nothing
    HRESULT ReturnNew(IDispatch* object);  // adopts the caller's reference
    HRESULT Return(const VARIANT& value);  // copies

    // Fails the call with a description the script's Err object shows.
    HRESULT Fail(HRESULT hr, std::string description);
    bool HasFailure() const { return failed_; }
    HRESULT FailureCode() const { return failure_; }
    const std::string& FailureText() const { return failureText_; }

private:
    static HRESULT Coerce(const VARIANT& v, VARTYPE vt, VARIANT* out);
    WORD flags_;
    std::vector<const VARIANT*> args_;
    const VARIANT* value_ = nullptr;
    VARIANT* result_;
    bool failed_ = false;
    HRESULT failure_ = S_OK;
    std::string failureText_;
};

class DispatchTable {
public:
    using Handler = std::function<HRESULT(DispatchObject& self, DispatchCall& call)>;
    template <class T>
    struct Entry {
        HRESULT (T::*method)(DispatchCall&) = nullptr;
        HRESULT (T::*get)(DispatchCall&) = nullptr;
        HRESULT (T::*put)(DispatchCall&) = nullptr;
    };
    struct Member {
        std::string name;
        Handler method, get, put;
    };

    template <class T>
    static DispatchTable Of(std::initializer_list<std::pair<const char*, Entry<T>>> entries,
                            const char* defaultMember = nullptr)
    {
        DispatchTable table;
        for (const auto& [name, entry] : entries)
            table.Add(name, Wrap<T>(entry.method), Wrap<T>(entry.get), Wrap<T>(entry.put));
        if (defaultMember)
            table.SetDefault(defaultMember);
        return table;
    }

    void Add(const char* name, Handler method, Handler get, Handler put);
    void SetDefault(const char* name);
    // DISPID_UNKNOWN when the name is not a member.
    DISPID Find(std::u16string_view name) const;
    const Member* At(DISPID id) const;

private:
    template <class T>
    static Handler Wrap(HRESULT (T::*fn)(DispatchCall&))
    {
        if (!fn)
            return nullptr;
        return [fn](DispatchObject& self, DispatchCall& call) {
            return (static_cast<T&>(self).*fn)(call);
        };
    }
    std::vector<Member> members_;
    std::unordered_map<std::string, DISPID> byName_;  // lower-case ASCII
    DISPID default_ = DISPID_UNKNOWN;
};

class DispatchObject : public IDispatch {
public:
    // source names the object in error records, e.g. "Presentations".
    explicit DispatchObject(std::string source);
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    const std::string& Source() const { return source_; }

    // Makes a T with one reference and hands out the interface riid.
    template <class T, class... A>
    static HRESULT CreateInstance(REFIID riid, void** object, A&&... args)
    {
        T* instance = new T(std::forward<A>(args)...);
        HRESULT hr = instance->QueryInterface(riid, object);
        instance->Release();
        return hr;
    }

protected:
    virtual ~DispatchObject() = default;
    virtual const DispatchTable& Table() const = 0;
    // Further interfaces of a derived class; E_NOINTERFACE by default.
    virtual HRESULT QueryOther(REFIID riid, void** object);

private:
    std::atomic<ULONG> refs_{1};
    std::string source_;
};
