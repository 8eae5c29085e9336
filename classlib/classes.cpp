#include "classlib/classes.h"

#include <algorithm>
#include <map>

// ---------------------------------------------------------------------------------------
// Class information

const char* const zprop::BooleanNames[2] = {"False", "True"};

bool TClassInfo::InheritsFrom(const TClassInfo& Base) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &Base)
            return true;
    return false;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent)
        chain.push_back(c);
    std::vector<const TPropInfo*> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const TPropInfo& p : (*it)->Props)
            out.push_back(&p);
    return out;
}

const TPropInfo* TClassInfo::FindProp(const char* Name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TPropInfo& p : c->Props)
            if (SameText(p.Name, Name))
                return &p;
    return nullptr;
}

namespace {
struct CaseInsensitiveLess {
    bool operator()(const AnsiString& a, const AnsiString& b) const { return CompareText(a, b) < 0; }
};
std::map<AnsiString, const TClassInfo*, CaseInsensitiveLess>& ClassRegistry()
{
    static std::map<AnsiString, const TClassInfo*, CaseInsensitiveLess> registry;
    return registry;
}
} // namespace

void RegisterClass(const TClassInfo& Class)
{
    ClassRegistry()[Class.Name] = &Class;
}

const TClassInfo* GetClass(const AnsiString& Name)
{
    auto& r = ClassRegistry();
    auto it = r.find(Name);
    return it == r.end() ? nullptr : it->second;
}

const TClassInfo& FindClass(const AnsiString& Name)
{
    const TClassInfo* c = GetClass(Name);
    if (!c)
        throw EClassNotFound(Format("Class %s not found", Name.c_str()));
    return *c;
}

const TClassInfo& TObject::StaticClassInfo()
{
    static const TClassInfo info{"TObject", nullptr, {}, nullptr, nullptr};
    return info;
}

// ---------------------------------------------------------------------------------------
// TPersistent

Z_CLASS_IMPL(TPersistent, TObject)

void TPersistent::Assign(TPersistent* Source)
{
    if (Source)
        Source->AssignTo(this);
    else
        throw EConvertError(Format("Cannot assign a %s to a %s", "nil", ClassName()));
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    throw EConvertError(Format("Cannot assign a %s to a %s", ClassName(), Dest ? Dest->ClassName() : "nil"));
}

void TPersistent::DefineProperties(TFiler*) {}

AnsiString TPersistent::GetNamePath()
{
    return ClassName();
}
