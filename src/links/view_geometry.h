#pragma once
// The separate DXC and WWC windows' geometry files (dxc_view.dat, wwc_view.dat): four lines in
// twips, Top, Left, Width, Height. A value that is not a number reads as 0; a Top or Left of 0
// or less and a Width or Height of 500 or less are not applied.

#include <QString>
#include <optional>

namespace zenthra {

// A window's outer place and size in twips; the map windows keep theirs in the same record.
struct ViewGeometry
{
    float top = 0;
    float left = 0;
    float width = 0;
    float height = 0;
};

// The values of the file that apply; each one nothing when it does not (or the file is missing).
struct StoredView
{
    std::optional<float> top;
    std::optional<float> left;
    std::optional<float> width;
    std::optional<float> height;
};

StoredView readViewGeometry(const QString& path);
// Replaces the file whole; false when it cannot be written.
bool writeViewGeometry(const QString& path, const ViewGeometry& g);

} // namespace zenthra
