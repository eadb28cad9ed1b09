#pragma once

// The object names of the window and its controls: the names the batch
// driver, --dump-controls, saved settings and the tests find controls by.
// They are data, kept exactly as they have always been spelled (hence the
// mixed forms), and changing one breaks every script that uses it.

namespace app::names {

// The window and its frame.
inline constexpr char kWindow[] = "Form1";
inline constexpr char kClient[] = "Client";
inline constexpr char kTabs[] = "Tabs";
inline constexpr char kStatusBar[] = "Status";
inline constexpr char kStatusPanel0[] = "StatusPanel0";
inline constexpr char kStatusPanel1[] = "StatusPanel1";
inline constexpr char kRunProgress[] = "RunProgress";
inline constexpr char kRunCancel[] = "RunCancel";
inline constexpr char kFileButton[] = "FileButton";
// Clears a notice in status panel 1 a few seconds after it came.
inline constexpr char kNoticeTimer[] = "NoticeTimer";

// The parameter column.
inline constexpr char kApertureBox[] = "Aperturebox";
inline constexpr char kOptionsPanel[] = "Panel2";
inline constexpr char kAberrationPanel[] = "Panel3";
inline constexpr char kInches[] = "Inches";
inline constexpr char kMillimeters[] = "Millimeters";
inline constexpr char kAperture[] = "ApertureSpin";
inline constexpr char kObstruction[] = "ObsSpin";
inline constexpr char kOffset[] = "OffsetSpin";
inline constexpr char kSpider[] = "Spidercheck";
inline constexpr char kVaneWidth[] = "SpiderThickSpin";
inline constexpr char kZoom[] = "ZoomfSpin";
inline constexpr char kTransferFunction[] = "PSFMTFCheck";
inline constexpr char kWavefront[] = "Wavefront";
inline constexpr char kResetAberrations[] = "Button1";
inline constexpr char kLive[] = "LiveCheck";
inline constexpr char kFocalRatio[] = "FocalRatioSpin";
inline constexpr char kFocusTravel[] = "FocusTravelLabel";
inline constexpr char kCalculate[] = "CalculateButton";
inline constexpr char kFocus[] = "FocusSpin";
inline constexpr char kComa[] = "XComaSpin";
inline constexpr char kComaAngle[] = "Comaangle";
inline constexpr char kAstigmatism[] = "XastigSpin";
inline constexpr char kAstigmatismAngle[] = "Astigmaangle";
inline constexpr char kSpherical[] = "SphericalSpin";
inline constexpr char kHigherSpherical[] = "HSASpin";
inline constexpr char kPinch[] = "PinchSpin";
inline constexpr char kTube[] = "TubeSpin";
inline constexpr char kTubeRadius[] = "RxTuberadius";
inline constexpr char kEdge[] = "TDESpin";
inline constexpr char kEdgeRadius[] = "TDEradius";

// Startest.
inline constexpr char kStartestPage[] = "Startest";
inline constexpr char kStarImage[] = "StarImage";
inline constexpr char kStarImageLabel[] = "StarImageLabel";
inline constexpr char kUndersampled[] = "undersamplelabel";
inline constexpr char kSaveStar[] = "SpeedButton1";
inline constexpr char kBrightness[] = "Brightslide";
inline constexpr char kStarPaintBox[] = "Starimage1";
inline constexpr char kStarTitle[] = "StarTitle";
inline constexpr char kStrehl[] = "StrehlLabel";
inline constexpr char kMarechal[] = "MarechalLabel";
inline constexpr char kStrehlClear[] = "StrehlClearLabel";
inline constexpr char kFwhm[] = "FwhmLabel";
inline constexpr char kEncircledEnergy[] = "EncircledLabel";
inline constexpr char kShowHeld[] = "ShowHeldCheck";

// Intra/Extra.
inline constexpr char kIntraExtraPage[] = "IntraExtra";
inline constexpr char kIntraExtraImage[] = "IntraExtraImage";
inline constexpr char kIntraLabel[] = "Intralabel";
inline constexpr char kExtraLabel[] = "ExtraLabel";
inline constexpr char kCalculateIntraExtra[] = "SpeedButton2";
inline constexpr char kSaveIntraExtra[] = "BitBtn2";

// Planet.
inline constexpr char kPlanetPage[] = "Planet";
inline constexpr char kOriginalCaption[] = "OP";
inline constexpr char kLoadPlanet[] = "BitBtn4";
inline constexpr char kCompareBox[] = "CompareBox";
inline constexpr char kPlanetLabel[] = "Planetlabel";
inline constexpr char kSavePlanet[] = "BitBtn3";
inline constexpr char kPlanetImage[] = "Planetimage";
inline constexpr char kPlanetAberrated[] = "Planetaberrate";
inline constexpr char kPlanetImageSize[] = "planetimagesize";
inline constexpr char kConvoluteGrey[] = "Convolute";
inline constexpr char kConvoluteColour[] = "ConvoluteInColor";

// Double.
inline constexpr char kDoublePage[] = "Double";
inline constexpr char kSeparation[] = "RxDistance";
inline constexpr char kMagnitudeDifference[] = "RxMagnDif";
inline constexpr char kPositionAngle[] = "RxPaSpin";
inline constexpr char kCalculateDouble[] = "BitBtn6";
inline constexpr char kDawes[] = "Dawes";
inline constexpr char kRayleigh[] = "Raleigh";
inline constexpr char kSaveDouble[] = "DoubleSaveButton";
inline constexpr char kDoubleImage[] = "DoubleImage";

// Animation.
inline constexpr char kAnimationPage[] = "Animation";
inline constexpr char kPlayer[] = "Image";
inline constexpr char kFrameLabel[] = "Framelabel";
inline constexpr char kSlider[] = "Slider";
inline constexpr char kSpeedBar[] = "SpeedBar";
inline constexpr char kPlay[] = "PlayBtn";
inline constexpr char kStop[] = "StopBtn";
inline constexpr char kRewind[] = "RewindBtn";
inline constexpr char kBack[] = "BackBtn";
inline constexpr char kNext[] = "NextBtn";
inline constexpr char kForward[] = "ForwardBtn";
inline constexpr char kAnimatedError[] = "AniAberchoice";
inline constexpr char kLowest[] = "RxSpinEdit1";
inline constexpr char kHighest[] = "RxSpinEdit2";
inline constexpr char kSteps[] = "RxSpinEdit3";
inline constexpr char kAnimatedObject[] = "Imagechoice";
inline constexpr char kAnimate[] = "BitBtn1";
inline constexpr char kSaveAnimation[] = "BitBtn5";
inline constexpr char kAnimationLoop[] = "AnimationLoop";
inline constexpr char kAnimationHelp[] = "AnimationHelp";

// PSF/MTF.
inline constexpr char kPsfMtfPage[] = "PSFMTF";
inline constexpr char kPsfPlot[] = "PSFPlot";
inline constexpr char kMtfPlot[] = "MTFPlot";
inline constexpr char kPsfX[] = "PSFXLine";
inline constexpr char kPsfY[] = "PSFYLine";
inline constexpr char kMtfPerfect[] = "MTFperfect";
inline constexpr char kMtfX[] = "MTFXLine";
inline constexpr char kMtfY[] = "MTFYline";
inline constexpr char kXLegend[] = "XAxisLegend";
inline constexpr char kYLegend[] = "YAxisLegend";
inline constexpr char kPerfectLegend[] = "PerfectLegend";
inline constexpr char kPlotHelp[] = "PlotHelp";
inline constexpr char kPsfMaxOne[] = "PsfMaxSet";
inline constexpr char kResolution[] = "RxLabel1";
inline constexpr char kHoldCurves[] = "HoldCurves";
inline constexpr char kCurveChoice[] = "CurveChoice";
inline constexpr char kEnergyPlot[] = "EEPlot";
inline constexpr char kEnergyLine[] = "EELine";
inline constexpr char kEnergyPerfect[] = "EEperfect";
inline constexpr char kPsfXHeld[] = "PSFXHeld";
inline constexpr char kPsfYHeld[] = "PSFYHeld";
inline constexpr char kMtfXHeld[] = "MTFXHeld";
inline constexpr char kMtfYHeld[] = "MTFYHeld";
inline constexpr char kEnergyHeld[] = "EEHeld";
inline constexpr char kNowLegend[] = "NowLegend";
inline constexpr char kHeldLegend[] = "HeldLegend";
inline constexpr char kPsfMtfHelp[] = "PsfMtfHelp";
inline constexpr char kSaveCurves[] = "SaveCurves";

// Turbulence.
inline constexpr char kTurbulencePage[] = "Turbulence";
inline constexpr char kTurbulencePicture[] = "Image3";
inline constexpr char kRoughnessPicture[] = "Image4";
inline constexpr char kTurbulenceAmount[] = "RMSSpin";
inline constexpr char kRoughnessAmount[] = "Roughspin";
inline constexpr char kSeed[] = "RandSeedSpin";
inline constexpr char kSeeing[] = "SeeingSpin";
inline constexpr char kSeeingNote[] = "SeeingNote";

// Wavefront.
inline constexpr char kWavefrontPage[] = "WavefrontPage";
inline constexpr char kAperturePicture[] = "Apertureimage";
inline constexpr char kWavefrontPicture[] = "Aberimage";
inline constexpr char kPeakToValley[] = "WavefrontLabel";
inline constexpr char kPeakToValleyWaves[] = "Wavelabl";
inline constexpr char kRms[] = "RMSLabel";
inline constexpr char kRmsWaves[] = "RMSlabl";
inline constexpr char kSaveWavefront[] = "SaveWavefrontImage";
inline constexpr char kLoadWavefront[] = "LoadAber";
inline constexpr char kClearWavefront[] = "ClearAber";
inline constexpr char kWavefrontTitle[] = "WavefrontTitle";
inline constexpr char kWavefrontHelp[] = "WavefrontHelp";
inline constexpr char kSaveZernike[] = "SaveZernikeButton";
inline constexpr char kSaveMap[] = "SaveMapButton";

// Chromatic; the seven rows are numbered from 1.
inline constexpr char kChromaticPage[] = "Chromatic";
inline constexpr char kChromaticImage[] = "chroma";
inline constexpr const char* kRowIncluded[] = {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4",
                                               "CheckBox5", "CheckBox6", "CheckBox7"};
inline constexpr const char* kRowWavelength[] = {"ChromaWave1", "Chromawave2", "ChromaWave3", "ChromaWave4",
                                                 "ChromaWave5", "ChromaWave6", "ChromaWave7"};
inline constexpr const char* kRowFocus[] = {"ChromaFocus1", "ChromaFocus2", "ChromaFocus3", "Chromafocus4",
                                            "ChromaFocus5", "Chromafocus6", "Chromafocus7"};
inline constexpr const char* kRowSpherical[] = {"ChromaLSA1", "ChromaLSA2", "ChromaLSA3", "ChromaLSA4",
                                                "ChromaLSA5", "ChromaLSA6", "ChromaLSA7"};
inline constexpr char kFocalShift[] = "FocalShiftspin";
inline constexpr char kCalculateChromatic[] = "CalculateChromatic";
inline constexpr char kSaveChromatic[] = "SaveChromaticImage";

// About.
inline constexpr char kAboutPage[] = "About";
inline constexpr char kAboutPicture[] = "Image5";
inline constexpr char kCredits[] = "SecretPanel1";
inline constexpr char kSpecials[] = "Specials";
inline constexpr char kGamma[] = "GammaSpin";
inline constexpr char kSlope[] = "SlopeSpin";

// Measured; the term editors are MeasuredZ1 .. MeasuredZ37 (Fringe order).
inline constexpr char kMeasuredPage[] = "Measured";
inline constexpr char kMeasuredLoad[] = "MeasuredLoad";
inline constexpr char kMeasuredClear[] = "MeasuredClear";
inline constexpr char kMeasuredFile[] = "MeasuredFile";
inline constexpr char kMeasuredOn[] = "MeasuredOn";
inline constexpr char kMeasuredWavelength[] = "MeasuredWavelength";
inline constexpr char kMeasuredOrdering[] = "MeasuredOrdering";
inline constexpr char kMeasuredRow[] = "MeasuredRow";
inline constexpr char kMeasuredNormalised[] = "MeasuredNormalised";
inline constexpr char kMeasuredSurface[] = "MeasuredSurface";
inline constexpr char kMeasuredRemoveDefocus[] = "MeasuredRemoveDefocus";
inline constexpr char kMeasuredPV[] = "MeasuredPV";
inline constexpr char kMeasuredRMS[] = "MeasuredRMS";
inline constexpr char kMeasuredPreview[] = "MeasuredPreview";
inline constexpr char kMeasuredTerms[] = "MeasuredTerms";
inline constexpr char kMeasuredTermPrefix[] = "MeasuredZ";

// Tests: the Ronchi grating, the knife edge and the interferogram.
inline constexpr char kTestsPage[] = "Tests";
inline constexpr char kTestsTabs[] = "TestsTabs";
inline constexpr char kRonchiImage[] = "RonchiImage";
inline constexpr char kRonchiLines[] = "RonchiLines";
inline constexpr char kRonchiOffset[] = "RonchiOffset";
inline constexpr char kRonchiAngle[] = "RonchiAngle";
inline constexpr char kRonchiWhite[] = "RonchiWhite";
inline constexpr char kRonchiBands[] = "RonchiBands";
inline constexpr char kSaveRonchi[] = "RonchiSave";
inline constexpr char kKnifeImage[] = "KnifeImage";
inline constexpr char kKnifeOffset[] = "KnifeOffset";
inline constexpr char kKnifeAngle[] = "KnifeAngle";
inline constexpr char kKnifeNote[] = "KnifeNote";
inline constexpr char kSaveKnife[] = "KnifeSave";
inline constexpr char kFringeImage[] = "FringeImage";
inline constexpr char kFringeTilt[] = "FringeTilt";
inline constexpr char kFringeAngle[] = "FringeAngle";
inline constexpr char kFringeDefocus[] = "FringeDefocus";
inline constexpr char kFringesPerWave[] = "FringesPerWave";
inline constexpr char kSaveFringes[] = "FringeSave";

// Not controls: the names --save-picture takes for the two drawing surfaces.
inline constexpr char kStarBuffer[] = "StarBuffer";
inline constexpr char kDoubleStarBuffer[] = "DoubleStarBuffer";

}  // namespace app::names
