// Every suite the suite handler knows, in the order in which its destructor releases them.
// Each row: accessor name, function table type (void for suites the effect never asks for),
// name string as the host publishes it, version. This list is the single source for the
// handler's slots, its accessors and its release order.
#ifndef ORVANE_SDK_UTIL_KNOWN_SUITES_H
#define ORVANE_SDK_UTIL_KNOWN_SUITES_H

#define ORVANE_KNOWN_SUITES(X)                                                            \
  X(MarkerSuite1, void, "AEGP Marker Suite", 1)                                           \
  X(MarkerSuite2, void, "AEGP Marker Suite", 2)                                           \
  X(LayerSuite8, void, "AEGP Layer Suite", 8)                                             \
  X(LayerSuite10, void, "AEGP Layer Suite", 10)                                           \
  X(StreamSuite9, AEGP_StreamSuite9, "AEGP Stream Suite", 9)                              \
  X(StreamSuite8, void, "AEGP Stream Suite", 8)                                           \
  X(StreamSuite7, void, "AEGP Stream Suite", 7)                                           \
  X(StreamSuite4, void, "AEGP Stream Suite", 4)                                           \
  X(DynamicStreamSuite2, void, "AEGP Dynamic Stream Suite", 2)                            \
  X(DynamicStreamSuite3, void, "AEGP Dynamic Stream Suite", 3)                            \
  X(DynamicStreamSuite5, AEGP_DynamicStreamSuite5, "AEGP Dynamic Stream Suite", 5)        \
  X(KeyframeSuite4, AEGP_KeyframeSuite4, "AEGP Keyframe Suite", 4)                        \
  X(KeyframeSuite3, void, "AEGP Keyframe Suite", 3)                                       \
  X(KeyframeSuite1, void, "AEGP Keyframe Suite", 1)                                       \
  X(CompSuite9, void, "AEGP Comp Suite", 9)                                               \
  X(CompSuite11, void, "AEGP Comp Suite", 11)                                             \
  X(CompSuite14, void, "AEGP Comp Suite", 14)                                             \
  X(CompSuite15, void, "AEGP Comp Suite", 15)                                             \
  X(CompSuite18, AEGP_CompSuite18, "AEGP Comp Suite", 18)                                 \
  X(CanvasSuite10, void, "AEGP Canvas Suite", 10)                                         \
  X(CanvasSuite11, void, "AEGP Canvas Suite", 11)                                         \
  X(CameraSuite2, void, "AEGP Camera Suite", 2)                                           \
  X(RegisterSuite6, void, "AEGP Register Suite", 6)                                       \
  X(ItemSuite13, void, "AEGP Item Suite", 13)                                             \
  X(ItemSuite11, void, "AEGP Item Suite", 11)                                             \
  X(ItemSuite10, void, "AEGP Item Suite", 10)                                             \
  X(ItemSuite7, void, "AEGP Item Suite", 7)                                               \
  X(ItemSuite3, void, "AEGP Item Suite", 3)                                               \
  X(PFInterfaceSuite1, AEGP_PFInterfaceSuite1, "AEGP PF Interface Suite", 1)              \
  X(PathQuerySuite1, PF_PathQuerySuite1, "PF Path Query Suite", 1)                        \
  X(MemorySuite1, void, "AEGP Memory Suite", 1)                                           \
  X(PathDataSuite1, void, "PF Path Data Suite", 1)                                        \
  X(AppSuite6, void, "PF AE App Suite", 6)                                                \
  X(AdvAppSuite2, PF_AdvAppSuite2, "PF AE Adv App Suite", 2)                              \
  X(LightSuite1, void, "AEGP Light Suite", 1)                                             \
  X(LightSuite2, void, "AEGP Light Suite", 2)                                             \
  X(EffectSuite1, void, "AEGP Effect Suite", 1)                                           \
  X(EffectSuite2, AEGP_EffectSuite2, "AEGP Effect Suite", 2)                              \
  X(EffectSuite3, AEGP_EffectSuite3, "AEGP Effect Suite", 3)                              \
  X(LayerMaskSuite5, AEGP_LayerMaskSuite5, "AEGP Layer Mask Suite", 5)                    \
  X(MaskOutlineSuite3, AEGP_MaskOutlineSuite3, "AEGP Mask Outline Suite", 3)              \
  X(CommandSuite1, void, "AEGP Command Suite", 1)                                         \
  X(UtilitySuite7, AEGP_UtilitySuite7, "AEGP Utility Suite", 7)                           \
  X(RenderSuite1, void, "AEGP Render Suite", 1)                                           \
  X(RenderSuite2, void, "AEGP Render Suite", 2)                                           \
  X(ANSISuite1, PF_ANSISuite1, "PF ANSI Suite", 1)                                        \
  X(HandleSuite2, PF_HandleSuite2, "PF Handle Suite", 2)                                  \
  X(FillMatteSuite2, void, "PF Fill Matte Suite", 2)                                      \
  X(WorldTransformSuite1, void, "PF World Transform Suite", 1)                            \
  X(QueryXformSuite4, void, "AEGP QueryXform Suite", 4)                                   \
  X(CompositeSuite4, void, "AEGP Composite Suite", 4)                                     \
  X(WorldSuite1, void, "PF World Suite", 1)                                               \
  X(IOInSuite5, void, "AEGP IO In Suite", 5)                                              \
  X(IOOutSuite7, void, "AEGP IO Out Suite", 7)                                            \
  X(RenderQueueSuite1, void, "AEGP Render Queue Suite", 1)                                \
  X(RQItemSuite3, void, "AEGP Render Queue Item Suite", 3)                                \
  X(OutputModuleSuite4, void, "AEGP Output Module Suite", 4)                              \
  X(FIMSuite3, void, "AEGP File Import Manager Suite", 3)                                 \
  X(Sampling8Suite1, void, "PF Sampling8 Suite", 1)                                       \
  X(Sampling16Suite1, void, "PF Sampling16 Suite", 1)                                     \
  X(Iterate8Suite1, void, "PF Iterate8 Suite", 1)                                         \
  X(Iterate16Suite1, void, "PF iterate16 Suite", 1)                                       \
  X(IterateFloatSuite1, void, "PF iterateFloat Suite", 1)                                 \
  X(CollectionSuite2, void, "AEGP Collection Suite", 2)                                   \
  X(TextDocumentSuite1, void, "AEGP Text Document Suite", 1)                              \
  X(SoundDataSuite1, void, "AEGP Sound Data Suite", 1)                                    \
  X(TextLayerSuite1, void, "AEGP Text Layer Suite", 1)                                    \
  X(ArtisanUtilSuite1, void, "AEGP Artisan Util Suite", 1)                                \
  X(WorldSuite2, void, "AEGP World Suite", 2)                                             \
  X(WorldSuite3, void, "AEGP World Suite", 3)                                             \
  X(RenderOptionsSuite1, void, "AEGP Render Options Suite", 1)                            \
  X(TrackerSuite1, void, "AEGP Tracker Suite", 1)                                         \
  X(TrackerUtilitySuite1, void, "AEGP Tracker Utility Suite", 1)                          \
  X(HelperSuite2, void, "AE Plugin Helper Suite2", 2)                                     \
  X(LayerSuite11, void, "AEGP Layer Suite", 11)                                           \
  X(LayerSuite12, void, "AEGP Layer Suite", 12)                                           \
  X(LayerSuite13, AEGP_LayerSuite13, "AEGP Layer Suite", 13)                              \
  X(AdvItemSuite1, void, "PF AE Adv Item Suite", 1)                                       \
  X(LayerSuite5, void, "AEGP Layer Suite", 5)                                             \
  X(LayerMaskSuite2, void, "AEGP Layer Mask Suite", 2)                                    \
  X(LayerMaskSuite6, AEGP_LayerMaskSuite6, "AEGP Layer Mask Suite", 6)                    \
  X(CompSuite4, void, "AEGP Comp Suite", 4)                                               \
  X(CollectionSuite1, void, "AEGP Collection Suite", 1)                                   \
  X(MaskOutlineSuite2, void, "AEGP Mask Outline Suite", 2)                                \
  X(AdvAppSuite1, void, "PF AE Adv App Suite", 1)                                         \
  X(UtilitySuite3, void, "AEGP Utility Suite", 3)                                         \
  X(RenderOptionsSuite2, void, "AEGP Render Options Suite", 2)                            \
  X(ProjSuite8, void, "AEGP Proj Suite", 8)                                               \
  X(ProjSuite9, void, "AEGP Proj Suite", 9)                                               \
  X(FootageSuite11, void, "AEGP Footage Suite", 11)                                       \
  X(RQItemSuite4, void, "AEGP Render Queue Item Suite", 4)                                \
  X(UtilitySuite10, void, "AEGP Utility Suite", 10)                                       \
  X(PersistentDataSuite3, void, "AEGP Persistent Data Suite", 3)                          \
  X(ColorSettingsSuite3, void, "PF Color Settings Suite", 3)                              \
  X(ColorSettingsSuite1, void, "PF Color Settings Suite", 1)                              \
  X(ColorParamSuite1, void, "PF ColorParamSuite", 1)                                      \
  X(SamplingFloatSuite1, void, "PF SamplingFloat Suite", 1)                               \
  X(UtilitySuite11, AEGP_UtilitySuite11, "AEGP Utility Suite", 11)                        \
  X(EffectCustomUISuite1, PF_EffectCustomUISuite1, "PF Effect Custom UI Suite", 1)        \
  X(EffectCustomUIOverlayThemeSuite1, void, "PF Effect Custom UI Overlay Theme Suite", 1) \
  X(DrawbotSuite1, DRAWBOT_DrawbotSuite1, "DRAWBOT Draw Suite", 1)                        \
  X(SupplierSuite1, DRAWBOT_SupplierSuite1, "DRAWBOT Supplier Suite", 1)                  \
  X(SurfaceSuite1, DRAWBOT_SurfaceSuite1, "DRAWBOT Surface Suite", 1)                     \
  X(PathSuite1, DRAWBOT_PathSuite1, "DRAWBOT Path Suite", 1)

#endif
