#include "unicode/uccomctrls.h"

#include <cstring>
#include <utility>

DWORD (*UcCommonControlsVersion)() = &ComCtl32DllVersion;

Z_CLASS_IMPL(TUcTreeNode, TTreeNode)
Z_CLASS_IMPL(TUcTreeNodes, TTreeNodes)

TTVCompare UcDefaultTreeSort = nullptr;

namespace {

const char* const SNodeClassError = "Internal Error: OnCreateNodeClass.ItemClass must inherit from TUcTreeNode.";
const char* const SComCtlOnly = "Internal Error: Only call CreateUnicodeHandle_ComCtl for Common Controls.";
const char* const Utf8Mark = "\xEF\xBB\xBF";

bool IsHighSurrogate(WideChar C)
{
    return C >= 0xD800 && C < 0xDC00;
}

void SetAnsiNodeText(TObject* Target, const AnsiString& Value)
{
    static_cast<TTreeNode*>(Target)->TTreeNode::SetText(Value);
}

int CompareWideTexts(const TTreeNode* Node1, const TTreeNode* Node2)
{
    return lstrcmpW(TreeNodeWideText(Node1).c_str(), TreeNodeWideText(Node2).c_str());
}

// The text of a node record: the UTF-8 mark and as much of the wide text as fits in 255
// bytes, cut at a character (never inside a surrogate pair), at most 255 UTF-16 units.
AnsiString Utf8RecordText(const TTreeNode* Node)
{
    const WideString text = TreeNodeWideText(Node);
    size_t bytes = 3;
    size_t units = 0;
    while (units < text.size() && units < 255) {
        const WideChar c = text[units];
        const bool pair = IsHighSurrogate(c) && units + 1 < text.size();
        const size_t width = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (bytes + width > 255 || (pair && units + 2 > 255))
            break;
        bytes += width;
        units += pair ? 2 : 1;
    }
    return Utf8Mark + WideToUtf8(text.substr(0, units));
}

void Utf8RecordTextTo(TTreeNode* Node, const AnsiString& Bytes)
{
    const WideString text = Bytes.compare(0, 3, Utf8Mark) == 0 ? Utf8ToWide(Bytes.data() + 3, Bytes.size() - 3)
                                                               : AnsiToWide(Bytes);
    if (auto* node = dynamic_cast<TUcTreeNode*>(Node))
        node->InitText(text);
    else
        Node->TTreeNode::SetText(WideToAnsi(text));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Unicode common controls

void CreateUnicodeHandle_ComCtl(TWinControl* Control, const TCreateParams& Params, const WideString& SubClass)
{
    ZAssert(!SubClass.empty(), SComCtlOnly);
    CreateUnicodeWindowHandle(Control, Params, SubClass, false);
    if (PlatformIsUnicode)
        SendMessageW(Control->WindowHandle(), CCM_SETUNICODEFORMAT, TRUE, 0);
}

DWORD ComCtl32DllVersion()
{
    struct TDllVersionInfo {
        DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
    };
    using TDllGetVersion = HRESULT(CALLBACK*)(TDllVersionInfo*);
    static const DWORD version = [] {
        HMODULE module = GetModuleHandleA("comctl32.dll");
        auto get = module ? reinterpret_cast<TDllGetVersion>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")))
                          : nullptr;
        TDllVersionInfo info{sizeof(info), 0, 0, 0, 0};
        if (get && SUCCEEDED(get(&info)))
            return static_cast<DWORD>(MAKELONG(info.dwMinorVersion, info.dwMajorVersion));
        return static_cast<DWORD>(MAKELONG(0, 4));
    }();
    return version;
}

// ---------------------------------------------------------------------------------------
// TUcTreeNode

WideString TreeNodeWideText(const TTreeNode* Node)
{
    if (auto* node = dynamic_cast<const TUcTreeNode*>(Node))
        return node->Text();
    return Node ? AnsiToWide(Node->TTreeNode::Text()) : WideString();
}

WideString TUcTreeNode::Text() const
{
    return WideGetCachedValue(FWideText, TTreeNode::Text());
}

void TUcTreeNode::SetText(const WideString& Value)
{
    WideSetCachedValue(Value, FWideText, TTreeNode::Text(), &SetAnsiNodeText, this);
}

void TUcTreeNode::InitText(const WideString& Value)
{
    FWideText = Value;
    TTreeNode::SetText(WideToAnsi(Value));
}

TUcTreeNodes* TUcTreeNode::Owner() const
{
    return dynamic_cast<TUcTreeNodes*>(TTreeNode::Owner());
}

void TUcTreeNode::Assign(TPersistent* Source)
{
    TTreeNode::Assign(Source);
    if (auto* node = dynamic_cast<TUcTreeNode*>(Source); node && !Deleting())
        SetText(node->Text());
}

// ---------------------------------------------------------------------------------------
// TUcTreeNodes

TUcTreeNodes::TUcTreeNodes(TCustomTreeView* AOwner) : TTreeNodes(AOwner) {}

TUcTreeNode* TUcTreeNodes::AddObject(TTreeNode* Sibling, const WideString& S, void* Ptr)
{
    return AddWideNode(Sibling, S, Ptr, naAdd);
}

TUcTreeNode* TUcTreeNodes::AddChildObject(TTreeNode* Parent, const WideString& S, void* Ptr)
{
    return AddWideNode(Parent, S, Ptr, naAddChild);
}

TUcTreeNode* TUcTreeNodes::AddWideNode(TTreeNode* Relative, const WideString& S, void* Ptr, TNodeAttachMode Mode)
{
    const TNodePrepare withText = [](TTreeNode* Node, const void* Text) {
        static_cast<TUcTreeNode*>(Node)->InitText(*static_cast<const WideString*>(Text));
    };
    // CreateNode makes nothing but Unicode nodes here.
    return static_cast<TUcTreeNode*>(AddNode(Relative, AnsiString(), Ptr, Mode, withText, &S));
}

TUcTreeNode* TUcTreeNodes::GetFirstNode() const
{
    return TUcTreeNode::Typed(TTreeNodes::GetFirstNode());
}

TUcTreeNode* TUcTreeNodes::GetNodeFromIndex(int Index) const
{
    return TUcTreeNode::Typed(TTreeNodes::GetNodeFromIndex(Index));
}

TUcTreeNode* TUcTreeNodes::GetNode(HTREEITEM ItemId) const
{
    return TUcTreeNode::Typed(TTreeNodes::GetNode(ItemId));
}

void TUcTreeNodes::DefineProperties(TFiler* Filer)
{
    TTreeNodes::DefineProperties(Filer);
    auto* ancestor = dynamic_cast<TTreeNodes*>(Filer->Ancestor());
    Filer->DefineBinaryProperty("Utf8Data", MakeMethod<&TUcTreeNodes::ReadUtf8Data>(this),
                                MakeMethod<&TUcTreeNodes::WriteUtf8Data>(this),
                                ancestor ? !SameNodeRecords(ancestor, &Utf8RecordText) : Count() > 0);
}

void TUcTreeNodes::ReadUtf8Data(TStream* Stream)
{
    ReadNodeRecords(Stream, &Utf8RecordTextTo);
}

void TUcTreeNodes::WriteUtf8Data(TStream* Stream)
{
    WriteNodeRecords(Stream, &Utf8RecordText);
}

// ---------------------------------------------------------------------------------------
// The wide tree view's shared parts

int CALLBACK UcTreeViewCompare(LPARAM Node1, LPARAM Node2, LPARAM Data)
{
    return CompareTreeNodes(Node1, Node2, Data, &CompareWideTexts);
}

UINT AnsiTreeNotificationCode(UINT Code)
{
    switch (Code) {
    case TVN_SELCHANGINGW: return TVN_SELCHANGINGA;
    case TVN_SELCHANGEDW: return TVN_SELCHANGEDA;
    case TVN_ITEMEXPANDINGW: return TVN_ITEMEXPANDINGA;
    case TVN_ITEMEXPANDEDW: return TVN_ITEMEXPANDEDA;
    case TVN_BEGINDRAGW: return TVN_BEGINDRAGA;
    case TVN_DELETEITEMW: return TVN_DELETEITEMA;
    default: return 0;
    }
}

const TTreeNodeClass* UcTreeNodeClass(TCustomTreeView* Tree)
{
    const TTreeNodeClass* cls = &TreeNodeClassOf<TUcTreeNode>();
    if (Tree->OnCreateNodeClass)
        Tree->OnCreateNodeClass(Tree, cls);
    if (!cls || !cls->ClassInfo().InheritsFrom(TUcTreeNode::StaticClassInfo()))
        throw EUcInternalError(SNodeClassError);
    return cls;
}

void EndWideLabelEdit(TCustomTreeView* Tree, TTreeNode* Node, const char* Text, const TUcTVEditedEvent& Wide,
                      const TTVEditedEvent& Ansi)
{
    const WideString text = WideEditedText(Text, Tree, Node, Wide, Ansi);
    if (auto* wide = TUcTreeNode::Typed(Node))
        wide->SetText(text);
    else if (Node)
        Node->SetText(WideToAnsi(text));
}

bool WideLabelChar(TWinControl* Control, TMessage& Message, bool& Handled)
{
    if (!PlatformIsUnicode || Message.Msg != WM_CHAR)
        return false;
    PackWideCharMessage(Message);
    Handled = Control->DoKeyPress(Message);
    UnpackWideCharMessage(Message);
    return true;
}

bool UcLongItemToolTip(TCustomTreeView* Tree, TMessage& Message)
{
    // Old common controls show at most 80 characters of a tooltip text they did not get in
    // their own buffer: a long item's text is cut to fit it.
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(Message.LParam);
    if (!info || info->hdr.code != TTN_NEEDTEXTW || UcCommonControlsVersion() >= static_cast<DWORD>(MAKELONG(71, 4)) ||
        !(info->uFlags & TTF_IDISHWND) || !Tree->HandleAllocated())
        return false;
    POINT p{};
    GetCursorPos(&p);
    ::ScreenToClient(Tree->WindowHandle(), &p);
    const WideString text = TreeNodeWideText(Tree->GetNodeAt(p.x, p.y));
    if (text.size() < 80)
        return false;
    CopyItemText(info->szText, 80, text);
    info->lpszText = info->szText;
    info->hinst = nullptr;
    SetWindowPos(info->hdr.hwndFrom, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Message.Result = 1;
    return true;
}
