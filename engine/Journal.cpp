#include "engine/Journal.h"

namespace {

const wchar_t kHeader[] = L"Arrayvane setup journal 1";
const wchar_t kEnd[] = L"end";
const wchar_t kHex[] = L"0123456789abcdef";

std::wstring Hex(const std::vector<unsigned char>& bytes) {
    std::wstring text;
    for (unsigned char b : bytes) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

bool Unhex(const std::wstring& text, std::vector<unsigned char>& out) {
    if (text.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return true;
}

std::wstring Number(DWORD value) {
    std::wstring digits;
    do digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10)); while ((value /= 10) != 0);
    return digits;
}

bool ParseNumber(const std::wstring& text, DWORD& out) {
    if (text.empty() || text.size() > 9) return false;
    out = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        out = out * 10 + (c - L'0');
    }
    return true;
}

// Fields are separated by tabs, which no path or value name of ours holds.
std::vector<std::wstring> Fields(const std::wstring& line) {
    std::vector<std::wstring> fields(1);
    for (wchar_t c : line) {
        if (c == L'\t') fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (wchar_t c : text) {
        if (c == L'\n') lines.emplace_back();
        else if (c != L'\r') lines.back() += c;
    }
    return lines;
}

bool Flag(const std::wstring& text, bool& out) {
    if (text != L"0" && text != L"1") return false;
    out = text == L"1";
    return true;
}

bool ParseLine(const std::vector<std::wstring>& f, Journal& out) {
    const std::wstring& tag = f[0];
    if (tag == L"service" && f.size() == 2) return Flag(f[1], out.serviceBefore);
    if ((tag == L"file" || tag == L"folder") && f.size() == 3) {
        SavedPath saved;
        saved.folder = tag == L"folder";
        saved.path = f[2];
        out.paths.push_back(saved);
        return Flag(f[1], out.paths.back().existed) && !saved.path.empty();
    }
    if (tag == L"key" && f.size() == 4) {
        SavedKey key;
        key.path = f[2];
        key.value = f[3];
        out.keys.push_back(key);
        return Flag(f[1], out.keys.back().existed) && !key.path.empty();
    }
    if (tag == L"value" && f.size() == 4 && !out.keys.empty()) {
        SavedValue value;
        value.name = f[1];
        out.keys.back().values.push_back(value);
        return ParseNumber(f[2], out.keys.back().values.back().type) && Unhex(f[3], out.keys.back().values.back().data);
    }
    return false;
}

} // namespace

std::wstring FormatJournal(const Journal& journal) {
    std::wstring text = kHeader;
    text += L"\r\nservice\t";
    text += journal.serviceBefore ? L"1" : L"0";
    text += L"\r\n";
    for (const SavedPath& saved : journal.paths) {
        text += saved.folder ? L"folder\t" : L"file\t";
        text += saved.existed ? L"1\t" : L"0\t";
        text += saved.path + L"\r\n";
    }
    for (const SavedKey& key : journal.keys) {
        text += L"key\t";
        text += key.existed ? L"1\t" : L"0\t";
        text += key.path + L"\t" + key.value + L"\r\n";
        for (const SavedValue& value : key.values)
            text += L"value\t" + value.name + L"\t" + Number(value.type) + L"\t" + Hex(value.data) + L"\r\n";
    }
    text += kEnd;
    text += L"\r\n";
    return text;
}

bool ParseJournal(const std::wstring& text, Journal& out) {
    out = Journal();
    std::vector<std::wstring> lines = Lines(text);
    // The last line is written last: without it the file was cut off.
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() < 2 || lines.front() != kHeader || lines.back() != kEnd) return false;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        if (!ParseLine(Fields(lines[i]), out)) return false;
    }
    return true;
}
