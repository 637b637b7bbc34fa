# The tests that run longest, with a rough cost (seconds on an idle
# machine): ctest -j starts them first, so that the many short tests fill
# the processors around them instead of waiting for them at the end. (A
# run's own timings, in Testing/Temporary/CTestCostData.txt, take over
# once there are some.) ctest reads this file after the test programs'
# lists of tests.
set(ostrel_long_tests
  "FastPath.EveryScriptLeavesWhatTheGeneralPathLeaves" 90
  "Scripts.EveryScriptGivesItsExpectedOutcome" 80
  "OptionErrorFuzz.HugeValuesInEveryNumericOptionEndInADocumentedStopLine" 80
  "EditorKeysRandom.HelloWithoutItsLastLineEnd" 60
  "EditorKeysRandom.BlockLoops" 60
  "EditorKeysRandom.Hello" 60
  "EditorKeysRandom.ALongLineAmongShortOnes" 60
  "PipelineFuzz.NoMutatedScriptCrashesCorruptsOrHangs" 60
  "FastPath.ComposedExpressionsAgreeInEveryUseOnBothPaths" 50
  "FastPath.ComposedTextFoldsAgreeOnBothPaths" 30
  "HelpExamples.EveryExampleGivesWhatItsTopicStates" 45
  "OptionErrorFuzz.MutatedOptionStatementsEndInADocumentedStopLine" 30
  "FastPath.MutatedScriptsLeaveWhatTheGeneralPathLeaves" 30
  "PlotPicture.AStripChartSlidesToThePictureOfAWholeDrawing" 35
  "Paces/SelectionAtAPace.TheRowsShownSelectedToTheLastLineAreTheLinesCut/250" 25
  "FastPath.RandomArrayLoopsLeaveWhatTheGeneralPathLeaves" 20
  "FastPath.ComposedExpressionsOfTheFirstFailingSeeds" 20)
list(LENGTH ostrel_long_tests n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET ostrel_long_tests ${i} name)
  list(GET ostrel_long_tests ${j} cost)
  set_tests_properties("${name}" PROPERTIES COST ${cost})
endforeach()
