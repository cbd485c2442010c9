#pragma once

#include <QComboBox>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <string>

// A place that can hold the game disc: a mounted volume, a folder that stands for a
// drive root, or a CD image file.
struct DriveRoot {
    enum class Kind { Optical, Removable, Fixed, Network, Folder, Image };
    QString path;   // the mount point, folder or image file
    QString label;  // the volume label, empty when there is none
    Kind kind = Kind::Fixed;
    bool operator==(const DriveRoot& other) const { return path == other.path; }
};

// Where the list of mounted volumes comes from. The real one reads the system's mount
// table and reports changes through `changed`; tests hand in a list they edit.
class MountSource {
public:
    virtual ~MountSource() = default;
    virtual QList<DriveRoot> Volumes() = 0;
    // Starts watching; `changed` runs (on the window thread) whenever the table may have changed.
    virtual void Watch(std::function<void()> changed) = 0;
};
std::unique_ptr<MountSource> SystemMountSource();

// The drive selector: the mounted volumes, then the folders and images the user added,
// then "フォルダを指定..." and "ディスクイメージを指定...", which open the choosers.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    ~TDriveComboBox() override;

    // Replaces the mount source (tests); lists its volumes at once and follows its changes.
    void SetMountSource(std::unique_ptr<MountSource> source);

    // The drive root of the chosen item, as a native path; empty only when nothing is chosen.
    std::string Drive() const;
    // Adds `root` (a folder or image) if it is not listed yet, and selects it.
    void SelectRoot(const DriveRoot& root);
    // Re-reads the volumes; the chosen item stays chosen, even when its volume went away.
    void Refresh();
};
