// The fixed addresses of the main window.
#pragma once

// The home page: the main view's default address, the address box's first
// text and the home command's target. Its host is the "home" alias's target.
inline constexpr wchar_t kHomeAddress[] = L"https://duckduckgo.com/";
// Where File > New Page opens a new window: the same search engine's
// regional page.
inline constexpr wchar_t kNewPageAddress[] = L"https://duckduckgo.com/?kl=fr-fr";
// Help > Documentation: the engine interface's documentation.
inline constexpr wchar_t kDocumentationAddress[] = L"https://nimbra.example.org/docs/engine/";
// Help > the discussion-group entry: this project's discussion page.
inline constexpr wchar_t kDiscussionAddress[] = L"https://nimbra.example.org/discussion/";
// The developer-tools view starts blank.
inline constexpr wchar_t kBlankAddress[] = L"about:blank";
// A scheme no handler serves.
inline constexpr wchar_t kFileSchemeAddress[] = L"local://c/";
