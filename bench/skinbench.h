// What the measuring programs of skinned controls share: the engine started with a manager
// that has our skin, skins applied and removed with the queued messages run.
#pragma once

#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "unicode/ucforms.h"

#include <cstdio>
#include <memory>

inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The skin of that name applied (none: removed), and what it queued run.
inline void Apply(TzSkinManager* M, const wchar_t* Skin)
{
    M->SetActive(false);
    if (Skin) {
        M->SetSkinName(Skin);
        M->SetActive(true);
    }
    Pump();
}

// The program started with a manager of the skins beside it (Skins\) and ZandrelDawn applied;
// none, after a message, when that skin is not there.
inline std::unique_ptr<TzSkinManager> StartSkinnedBench()
{
    InitUcProgram();
    InitSkinEngine();
    InitSkinGraphics();
    InitSkinManager();
    auto manager = std::make_unique<TzSkinManager>(nullptr);
    manager->SetSkinDirectory(L"Skins");
    Apply(manager.get(), L"ZandrelDawn");
    if (!manager->SkinData().Active) {
        std::printf("the skin ZandrelDawn was not found beside the program (Skins\\)\n");
        manager.reset();
    }
    return manager;
}
