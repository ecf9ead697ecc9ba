import QtQuick 2.15
import QtQuick.Window 2.15
import com.kv.common 1.0
import com.kv.settings 1.0
import "qrc:/Dialog/qml"

// The settings window: the title and the three tabs on the left, and the
// three sections one under the other in a view that scrolls to the chosen
// tab or with the wheel. Every value lives in `settingsModel`.
Item {
    id: root

    readonly property int sectionHeight: 348
    readonly property int currentSection: Math.min(2, Math.round(sections.contentY / sectionHeight))
    readonly property string dialogTitle: qsTr("Launcher Settings")
    // The control the keyboard is on; the sections scroll to show it.
    readonly property Item keyboardItem: Window.activeFocusItem

    function scrollTo(position) {
        scrollAnimation.to = Math.min(position * sections.contentHeight, sections.contentHeight - sections.height);
        scrollAnimation.restart();
    }

    // Scrolls the sections so that `item`, when it is in them, is in view.
    function reveal(item) {
        var inside = false;
        for (var up = item; up && !inside; up = up.parent)
            inside = up === content;
        if (!inside)
            return;
        var top = content.mapFromItem(item, 0, 0).y;
        var bottom = top + item.height;
        if (top < sections.contentY)
            sections.contentY = Math.max(0, top - 8);
        else if (bottom > sections.contentY + sections.height)
            sections.contentY = Math.min(sections.contentHeight - sections.height, bottom - sections.height + 8);
    }

    width: 974
    height: 474
    // The page holds the keyboard; Tab walks its controls, Escape closes it.
    focus: true
    Accessible.role: Accessible.Dialog
    Accessible.name: dialogTitle
    onKeyboardItemChanged: reveal(keyboardItem)

    Component.onCompleted: {
        // The catalogue knows which language it is; the model follows it.
        var translated = qsTr("languageIndex");
        var index = parseInt(translated, 10);
        if (translated !== "languageIndex" && !isNaN(index) && index !== settingsModel.curLanguageIndex)
            settingsModel.setupLanguageIndex(index);
    }

    KVDialogFrame {}

    Rectangle {
        id: column

        x: 20
        y: 72
        width: 250
        height: 348
        radius: 8
        color: "#fbf1e3"
        border.color: "#e4d0b3"
    }

    Text {
        x: 32
        y: 22
        text: qsTr("Launcher Settings")
        color: "#7a3a1c"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 22
        font.bold: true
    }

    Column {
        x: column.x + 15
        y: column.y + 16
        spacing: 8

        KVSettingsButton {
            tab: true
            text: qsTr("General Settings")
            current: root.currentSection === 0
            onClicked: root.scrollTo(0)
        }
        KVSettingsButton {
            tab: true
            text: qsTr("Download Settings")
            current: root.currentSection === 1
            onClicked: root.scrollTo(0.33)
        }
        KVSettingsButton {
            tab: true
            text: qsTr("Version Info")
            current: root.currentSection === 2
            onClicked: root.scrollTo(0.66)
        }
    }

    Flickable {
        id: sections

        objectName: "sections"

        x: 306
        y: 72
        width: 636
        height: 348
        clip: true
        contentWidth: width
        contentHeight: content.height
        boundsBehavior: Flickable.StopAtBounds
        onContentYChanged: settingsModel.onScrollViewScrolling()

        NumberAnimation {
            id: scrollAnimation

            target: sections
            property: "contentY"
            duration: 220
            easing.type: Easing.OutCubic
        }

        Column {
            id: content

            width: sections.width

            KVSettings4General {
                width: content.width
                height: root.sectionHeight
            }
            KVSettings4Download {
                width: content.width
                height: root.sectionHeight
            }
            KVSettings4VersionInfo {
                width: content.width
                height: root.sectionHeight
            }
        }
    }

    KVDialogClose {
        objectName: "closeButton"
        onClicked: settingsModel.closeSettings()
    }
}
