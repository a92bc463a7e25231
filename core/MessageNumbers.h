#pragma once

#include <cstdint>

// The numbers of the catalogue messages, named after what they say. The
// numbers are fixed: record dialogs, link commands and windows of every
// version refer to the same rows. Rows that repeat another row's text are
// separate because different windows show them; rows marked "shown nowhere"
// stay so that the numbering holds.

namespace Msg {

// Main window: menus and toolbar
inline constexpr std::uint16_t FileMenu                    =   0;  // "File"
inline constexpr std::uint16_t ImportRecordMenuItem        =   1;  // "Import database (.dat)"
inline constexpr std::uint16_t ImportHistoryMenuItem       =   2;  // "Import history (.bin)"
inline constexpr std::uint16_t ExitMenuItem                =   3;  // "Exit"
inline constexpr std::uint16_t FileExport                  =   4;  // "Export"  (shown nowhere)
inline constexpr std::uint16_t ToolsMenu                   =   5;  // "Tools"
inline constexpr std::uint16_t UpgradeMenuItem             =   6;  // "Upgrade"
inline constexpr std::uint16_t LoadHistoryMenuItem         =   7;  // "Load history"
inline constexpr std::uint16_t OptionsMenuItem             =   8;  // "Options"
inline constexpr std::uint16_t WindowMenu                  =   9;  // "Window"
inline constexpr std::uint16_t CascadeMenuItem             =  10;  // "Cascade"
inline constexpr std::uint16_t UpgradeButton               =  11;  // "Upgrade"
inline constexpr std::uint16_t LoadHistoryButton           =  12;  // "Load history"

// Main window: link progress, upgrade, download and export messages
inline constexpr std::uint16_t PortTestCaption             =  13;  // "Status"
inline constexpr std::uint16_t TestingPort                 =  14;  // "Testing port"
inline constexpr std::uint16_t NoMachineConnected          =  15;  // "No machine connected (or no COM port found)"
inline constexpr std::uint16_t PortNotFree                 =  16;  // "Selected port not free"
inline constexpr std::uint16_t CorruptedFile               =  17;  // "Corrupted file"
inline constexpr std::uint16_t ConfirmFirmwareVersion      =  18;  // "You are going to update with firmware version:"
inline constexpr std::uint16_t UpgradeNoCommunication      =  19;  // "No communication between PC and machine"
inline constexpr std::uint16_t UpgradeInProgress           =  20;  // "Upgrade in progress…"
inline constexpr std::uint16_t UpgradeFailed               =  21;  // "Error during upgrade!"
inline constexpr std::uint16_t UpgradeDone                 =  22;  // "Upgrade done."
inline constexpr std::uint16_t DownloadNoCommunication     =  23;  // "No communication between PC and machine"
inline constexpr std::uint16_t MachineInfoFailed           =  24;  // "Error while loading machine information"
inline constexpr std::uint16_t DownloadCaption             =  25;  // "Status"
inline constexpr std::uint16_t LoadingHistory              =  26;  // "Loading history"
inline constexpr std::uint16_t NewHistoryInserted          =  27;  // "New history insertion done"
inline constexpr std::uint16_t SelectMachineFirst          =  28;  // "Please first select a machine entry"  (shown nowhere)
inline constexpr std::uint16_t ExportFileFailed            =  29;  // "Error during export file creation"
inline constexpr std::uint16_t ExportDone                  =  30;  // "Exportation done"

// Main window: sort box
inline constexpr std::uint16_t SortGroup                   =  31;  // "Sort"
inline constexpr std::uint16_t SortByName                  =  32;  // "By name"
inline constexpr std::uint16_t SortByMachineId             =  33;  // "By machine Id"

// Record window: menu and general information
inline constexpr std::uint16_t EditionMenu                 =  34;  // "Edition"
inline constexpr std::uint16_t ModifyDataMenuItem          =  35;  // "Modify data"
inline constexpr std::uint16_t GeneralInformation          =  36;  // "General informations"
inline constexpr std::uint16_t CustomerReferences          =  37;  // "Customer references"
inline constexpr std::uint16_t FirstnameLabel              =  38;  // "Firstname"
inline constexpr std::uint16_t LastnameLabel               =  39;  // "Lastname"
inline constexpr std::uint16_t AddressLabel                =  40;  // "Address"
inline constexpr std::uint16_t MachineInformation          =  41;  // "Machine information"
inline constexpr std::uint16_t MachineNumberLabel          =  42;  // "Machine number"
inline constexpr std::uint16_t MachineSerialLabel          =  43;  // "Machine SNB"
inline constexpr std::uint16_t VersionLabel                =  44;  // "Version"
inline constexpr std::uint16_t BootloaderLabel             =  45;  // "Bootloader"

// Options dialog
inline constexpr std::uint16_t OptionsTitle                =  46;  // "Options"
inline constexpr std::uint16_t CommunicationGroup          =  47;  // "Communication"
inline constexpr std::uint16_t PortNumber                  =  48;  // "Port number"
inline constexpr std::uint16_t LanguageGroup               =  49;  // "Language"
inline constexpr std::uint16_t AbortButton                 =  50;  // "Abort"

// Create dialog and its checks
inline constexpr std::uint16_t CreateTitle                 =  51;  // "Create"
inline constexpr std::uint16_t CreateFirstname             =  52;  // "Fisrtname"
inline constexpr std::uint16_t CreateLastname              =  53;  // "LastName"
inline constexpr std::uint16_t CreateAddress               =  54;  // "Address"
inline constexpr std::uint16_t CreateMachineNumber         =  55;  // "Machine number"
inline constexpr std::uint16_t CreateButton                =  56;  // "Create"
inline constexpr std::uint16_t CreateNeedsFirstname        =  57;  // "You must specify a firstname"
inline constexpr std::uint16_t CreateNeedsLastname         =  58;  // "You must specify a lastname"
inline constexpr std::uint16_t CreateNeedsMachineNumber    =  59;  // "You must specify a machine number"
inline constexpr std::uint16_t CreateBadMachineNumber      =  60;  // "Incorrect machine number"
inline constexpr std::uint16_t ExistingMachine             =  61;  // "Existing machine."

// Owner-data dialog and its checks
inline constexpr std::uint16_t OwnerDataTitle              =  62;  // "Customer references"
inline constexpr std::uint16_t OwnerDataFirstname          =  63;  // "Firstname"
inline constexpr std::uint16_t OwnerDataLastname           =  64;  // "Lastname"
inline constexpr std::uint16_t OwnerDataAddress            =  65;  // "Address"
inline constexpr std::uint16_t OwnerDataMachineNumber      =  66;  // "Machine number"
inline constexpr std::uint16_t OwnerDataSave               =  67;  // "Save"
inline constexpr std::uint16_t OwnerDataNeedsFirstname     =  68;  // "You must specify a firstname"
inline constexpr std::uint16_t OwnerDataNeedsLastname      =  69;  // "You must specify a lastname"
inline constexpr std::uint16_t OwnerDataNeedsMachineNumber =  70;  // "You must specify a machine number"
inline constexpr std::uint16_t OwnerDataBadMachineNumber   =  71;  // "Incorrect machine number"
inline constexpr std::uint16_t OwnerDataExistingMachine    =  72;  // "Existing machine."  (shown nowhere)

// Insert dialog
inline constexpr std::uint16_t InsertTitle                 =  73;  // "Insert"
inline constexpr std::uint16_t MachineListing              =  74;  // "Machine listing"
inline constexpr std::uint16_t InsertButton                =  75;  // "Insert"
inline constexpr std::uint16_t InsertCreateButton          =  76;  // "Create"
inline constexpr std::uint16_t ChooseMachine               =  77;  // "You must choose a machine"
inline constexpr std::uint16_t HistoryDateExists           =  78;  // "There is already a record at this date"

// Tile pop-up menu
inline constexpr std::uint16_t Open                        =  79;  // "Open"  (shown nowhere)
inline constexpr std::uint16_t TileExport                  =  80;  // "Export"

// History tab: pages, parameters and options, sleep hours, statistics, machine data
inline constexpr std::uint16_t MachineInformationPage      =  81;  // "Machine information"
inline constexpr std::uint16_t HistoryPage                 =  82;  // "History"
inline constexpr std::uint16_t SystemParametersPage        =  83;  // "System parameters"
inline constexpr std::uint16_t Statistics                  =  84;  // "Statistics"
inline constexpr std::uint16_t StatisticColumn             =  85;  // "Statistic"  (shown nowhere)
inline constexpr std::uint16_t ValueColumn                 =  86;  // "Value"  (shown nowhere)
inline constexpr std::uint16_t ParametersAndOptions        =  87;  // "Parameters and options"
inline constexpr std::uint16_t FastCharge                  =  88;  // "Fast Charge"
inline constexpr std::uint16_t MultipleStations            =  89;  // "Multiple Stations"
inline constexpr std::uint16_t QuietCharge                 =  90;  // "Quiet charge"
inline constexpr std::uint16_t MultipleSferon              =  91;  // "Multiple Sferon"
inline constexpr std::uint16_t PhaseInversion              =  92;  // "Phase inversion"
inline constexpr std::uint16_t CcwReturn                   =  93;  // "CCW return"
inline constexpr std::uint16_t OppositeHeads               =  94;  // "Opposite Heads"
inline constexpr std::uint16_t BidirReturn                 =  95;  // "Bidir return"
inline constexpr std::uint16_t StationCapture              =  96;  // "Station Capture"
inline constexpr std::uint16_t UDocking                    =  97;  // "U docking"
inline constexpr std::uint16_t Comments                    =  98;  // "Comments"
inline constexpr std::uint16_t SleepHours                  =  99;  // "Sleep hours"
inline constexpr std::uint16_t Monday                      = 100;  // "Monday"
inline constexpr std::uint16_t Tuesday                     = 101;  // "Tuesday"
inline constexpr std::uint16_t Wednesday                   = 102;  // "Wednesday"
inline constexpr std::uint16_t Thursday                    = 103;  // "Thurday"
inline constexpr std::uint16_t Friday                      = 104;  // "Friday"
inline constexpr std::uint16_t Saturday                    = 105;  // "Saterday"
inline constexpr std::uint16_t Sunday                      = 106;  // "Sunday"
inline constexpr std::uint16_t Range1                      = 107;  // "Range 1"
inline constexpr std::uint16_t Range2                      = 108;  // "Range 2"
inline constexpr std::uint16_t Range3                      = 109;  // "Range 3"
inline constexpr std::uint16_t Range4                      = 110;  // "Range 4"
inline constexpr std::uint16_t MowingTime                  = 111;  // "Mowing time"
inline constexpr std::uint16_t ChargingTime                = 112;  // "Charging Time"
inline constexpr std::uint16_t CycleCount                  = 113;  // "Nb of cycles"
inline constexpr std::uint16_t LeftWheelDistance           = 114;  // "L Wheel dist."
inline constexpr std::uint16_t RightWheelDistance          = 115;  // "R Wheel dist."
inline constexpr std::uint16_t ChargedCapacity             = 116;  // "Charged capacity"
inline constexpr std::uint16_t DischargedCapacity          = 117;  // "Discharged capacity"
inline constexpr std::uint16_t RestTime                    = 118;  // "Rest time"
inline constexpr std::uint16_t FirmwareVersion             = 119;  // "Firmware version"
inline constexpr std::uint16_t MowerLanguage               = 120;  // "Language"
inline constexpr std::uint16_t CableLength                 = 121;  // "Cable length"  (shown nowhere)
inline constexpr std::uint16_t StationDepartDistance       = 122;  // "Station depart dist."  (shown nowhere)
inline constexpr std::uint16_t LanguageName                = 123;  // "English"  (shown nowhere)

// History tab: the marks of a set and a cleared option
inline constexpr std::uint16_t OptionSet                   = 124;  // "V"
inline constexpr std::uint16_t OptionCleared               = 125;  // "-"

// Record window: deleting and copying a history
inline constexpr std::uint16_t ConfirmDeleteHistory        = 126;  // "You are going to delete mower log of "
inline constexpr std::uint16_t CannotDeleteHistory         = 127;  // "You can't delete this mower log"
inline constexpr std::uint16_t DeleteMenuItem              = 128;  // "delete"
inline constexpr std::uint16_t CopyDataMenuItem            = 129;  // "Copy data"

}  // namespace Msg
