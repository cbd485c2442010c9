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
    // The volume holding `path`, whether or not Volumes() lists it.
    virtual DriveRoot VolumeOf(const QString& path);
};
std::unique_ptr<MountSource> SystemMountSource();

// The drive selector: the mounted volumes, then the folders and images the user added,
// then "フォルダを指定..." and "ディスクイメージを指定...", which open the choosers.
//
// The choosers open only when the user picks their item in the open list. Stepping with
// the wheel or the arrow keys on the closed box stops at the last place, so browsing the
// drives never pops up a dialog.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    TDriveComboBox(std::unique_ptr<MountSource> source, QWidget* parent);
    ~TDriveComboBox() override;

    // Replaces the mount source (tests); lists its volumes at once and follows its changes.
    void SetMountSource(std::unique_ptr<MountSource> source);

    // The drive root of the chosen item, as a native path; empty only when nothing is chosen.
    std::string Drive() const;
    // Adds `root` (a folder or image) if it is not listed yet, and selects it.
    void SelectRoot(const DriveRoot& root);
    // Re-reads the volumes; the chosen item stays chosen, even when its volume went away.
    void Refresh();

    // The chosen place as a whole.
    DriveRoot Chosen() const { return chosen_; }

    static QString FolderChooserText();
    static QString ImageChooserText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class ItemRole { Place, ChooseFolder, ChooseImage };

    void Rebuild();
    void ShowChosen();
    ItemRole RoleAt(int index) const;
    void OnCurrentIndexChanged(int index);
    void OnActivated(int index);
    QString AskForFolder();
    QString AskForImage();

    std::unique_ptr<MountSource> source_;
    QList<DriveRoot> volumes_;  // as the source listed them last
    DriveRoot home_;            // the current directory's volume, always listed
    QList<DriveRoot> added_;    // folders and images, in the order they were chosen
    QList<DriveRoot> places_;   // what the items before the separator and choosers stand for
    DriveRoot chosen_;
    bool stepping_ = false;     // inside a key or wheel step on the closed box
};
